#include "core/AssetList.h"

namespace {

// Appends prefix + first .. prefix + last + suffix.
void appendNumbered(std::vector<std::string>* list, const std::string& prefix, int first, int last,
                    const std::string& suffix) {
    for (int number = first; number <= last; ++number) {
        std::string name = prefix;
        name += std::to_string(number);
        name += suffix;
        list->push_back(name);
    }
}

}  // namespace

std::vector<std::string> buildAssetList() {
    std::vector<std::string> list;
    list.reserve(161);

    list.push_back("levels/system_1/s1.json");
    appendNumbered(&list, "levels/system_1/s1p", 1, 9, ".json");

    appendNumbered(&list, "sounds/background_", 1, 9, ".wav");
    list.push_back("sounds/damage_taken_1.wav");
    list.push_back("sounds/explosion_1.wav");
    appendNumbered(&list, "sounds/footstep", 1, 5, ".wav");
    for (const char* name : {"gun_1", "gun_2", "jump", "laser", "negative", "player_death", "success", "takeoff",
                             "ui_blipp", "ui_blipp2", "ui_blipp3"}) {
        list.push_back(std::string("sounds/") + name + ".wav");
    }

    appendNumbered(&list, "textures/heightmaps/hm_", 0, 13, ".png");
    appendNumbered(&list, "textures/heightmaps/tu_", 0, 13, ".png");

    for (const char* name : {"logoicon.png", "crosshair_1.png", "exit_button.png", "exit_button_hover.png",
                             "explore_button.png", "explore_button_hover.png", "explosion_1.png", "104382.jpg",
                             "hud_gun_2.png", "lava.jpg", "life_indicator.png", "logo.png"}) {
        list.push_back(std::string("textures/") + name);
    }
    for (const char* set : {"p1", "p2", "p3", "p5"}) {
        for (const char* map : {"_diffuse_map.png", "_normal_map.png", "_specular_map.png"}) {
            list.push_back(std::string("textures/") + set + map);
        }
    }
    for (const char* name : {"particle.bmp", "play_button.png", "play_button_hover.png"}) {
        list.push_back(std::string("textures/") + name);
    }
    appendNumbered(&list, "textures/skybox_", 1, 5, ".jpg");
    for (const char* name : {"water.jpg", "water2.png", "sun.png", "sunmap.jpg", "paused_background.jpg"}) {
        list.push_back(std::string("textures/") + name);
    }

    for (const char* name : {"artefact", "death", "explosion", "glow", "rocketengine", "smoke", "snow", "starfield"}) {
        list.push_back(std::string("particlesystems/") + name + ".json");
    }

    for (const char* name : {"font1.json", "font1.png", "font1_1.png", "font2.json"}) {
        list.push_back(std::string("fonts/") + name);
    }

    for (const char* name : {"basic_textured.fs",
                             "basic_textured.vs",
                             "basicortho.fs",
                             "basicortho.vs",
                             "circle.fs",
                             "circle.vs",
                             "level.fs",
                             "level.vs",
                             "line.fs",
                             "line.vs",
                             "model.fs",
                             "model.vs",
                             "model_material.fs",
                             "particlesystem.fs",
                             "particlesystem.vs",
                             "shownormals.fs",
                             "shownormals.gs",
                             "shownormals.vs",
                             "text.fs",
                             "text.vs",
                             "texture_light.fs",
                             "texture_light.vs",
                             "ufo.fs",
                             "ufo.vs",
                             "water.fs",
                             "water.vs"}) {
        list.push_back(std::string("shaders/") + name);
    }

    for (const char* name : {"forest3/NatureFreePack1.mtl", "forest3/NatureFreePack1.obj",
                             "ufo1/Low_poly_UFO.obj",       "ufo1/Low_poly_UFO.mtl",
                             "ufo1/Map__7_Normal_Bump.tga", "ufo1/ufo_diffuse.png",
                             "ufo1/ufo_diffuse2.png",       "ufo1/ufo_diffuse2_glow.png",
                             "ufo1/ufo_diffuse_glow.png",   "crystal/crystal.obj",
                             "crystal/crystal.mtl",         "planets/planets.obj",
                             "planets/planets.mtl",         "forest2/forest_assets.mtl",
                             "forest2/forest_assets.obj",   "spaceship/spaceship.obj",
                             "spaceship/spaceship.mtl",     "spaceship/1001_Base_Color.png",
                             "spaceship/1001_Metallic.png", "spaceship/1001_Normal_OpenGL.png",
                             "spaceship/1001_Roughness.png"}) {
        list.push_back(std::string("models/") + name);
    }
    return list;
}
