#include "game/SolarSystem.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/Log.h"
#include "core/MailBox.h"
#include "core/MathUtil.h"
#include "core/Utils.h"
#include "game/ArtefactManager.h"
#include "game/Hud.h"
#include "game/SolarSystemCamera.h"
#include "render/Circle.h"
#include "render/Model.h"
#include "render/ParticleSystem.h"
#include "render/ScreenQuad.h"
#include "render/TextureManager.h"

namespace {

const char* const kBackgroundTexture = "textures/104382.jpg";
const float kPlanetSpinSpeed = 0.3f;
const float kStarSpinSpeed = 0.0f;
// Every body answers clicks within this distance, whatever its size.
const float kPickRadius = 5.0f;
const glm::vec3 kLight(20.0f, 20.0f, 20.0f);
const int kOrbitSegments = 100;
const float kTwoToMinus31 = 4.656612873077393e-10f;

// Where each planet of the model file stands, subtracted so that mesh set i draws mesh i
// at the body's position once the quarter turn has stood it up.
const glm::vec3 kPlanetPivots[] = {
    {10.0f, 7.0f, 0.0f},   {-5.0f, 2.1f, 0.0f}, {10.3f, -7.5f, 0.0f}, {-5.0f, -2.3f, 0.0f},  {-0.4f, -7.1f, 0.0f},
    {0.0f, 2.0f, 0.0f},    {5.0f, -2.4f, 0.0f}, {5.3f, 2.4f, 0.0f},   {-10.1f, -2.1f, 0.0f}, {10.3f, 2.5f, 0.0f},
    {-10.4f, -7.0f, 0.0f}, {5.1f, 7.1f, 0.0f},  {10.3f, -2.2f, 0.0f}, {-0.1f, 7.0f, 0.0f}};
const glm::vec3 kStandUp(1.5707964f, 0.0f, 0.0f);

// Only a JSON string replaces a text value: anything else under a text key keeps the
// current value, so a damaged planet cannot blank the name or level file before it.
void readText(const json_value* value, std::string* text) {
    if (value->type == json_string) {
        text->assign(value->u.string.ptr, value->u.string.length);
    }
}

}  // namespace

SolarSystem::SolarSystem(std::string jsonPath, Hud* hud, ArtefactManager* artefactManager)
    : planetsModel(new Model("models/planets/planets.obj", "shaders/model.vs", "shaders/model_material.fs", true)),
      background(
          new ScreenQuad(0, 0, kWindowWidth, kWindowHeight, "shaders/basicortho.vs", "shaders/basicortho.fs", true)),
      orbitCircle(new Circle(0.0f, 0.0f, 0.0f, 1.0f, kOrbitSegments)),
      starfield(new ParticleSystem("particlesystems/starfield.json", true)),
      glow(new ParticleSystem("particlesystems/glow.json", true)),
      jsonPath(std::move(jsonPath)),
      hud(hud),
      artefactManager(artefactManager) {
    MailBox::getInstance()->registerReceiver(this, MESSAGE_EXPLORE_BUTTON_CLICKED);
}

SolarSystem::~SolarSystem() {
    MailBox::getInstance()->removeReceiver(this);
    for (CelestialBody* body : bodies) {
        delete body;
    }
    delete background;
    delete glow;
    delete starfield;
    delete orbitCircle;
    delete planetsModel;
    if (backgroundTexture != 0) {
        TextureManager::getInstance()->freeTexture(kBackgroundTexture);
    }
}

bool SolarSystem::setup() {
    if (!loadCelestialBodies()) {
        return false;
    }
    // A description without planets has no artefact to find, not minus one.
    artefactManager->total = bodies.empty() ? 0 : static_cast<int>(bodies.size()) - 1;
    if (!orbitCircle->setup()) {
        return false;
    }
    backgroundTexture = TextureManager::getInstance()->loadTexture(kBackgroundTexture, true);
    if (!background->setup()) {
        return false;
    }
    background->setTexture(backgroundTexture);
    if (!planetsModel->setup()) {
        return false;
    }
    hud->setSolarSystemText(systemText);
    hud->setArtefactStatusText(artefactCountText());
    createMeshSets();
    if (!starfield->setup()) {
        return false;
    }
    return glow->setup();
}

bool SolarSystem::loadCelestialBodies() {
    json_value* root = json_parse_entry(jsonPath);
    if (root == nullptr) {
        LOG_ERROR("Failed to parse solar system JSON");
        return false;
    }
    process_value(root, 0, nullptr);
    json_value_free(root);
    return true;
}

void SolarSystem::process_value(const json_value* value, int depth, const char* key) {
    // Values nested deeper than any description are passed over, not walked.
    if (value == nullptr || depth > kJsonMaxDepth) {
        return;
    }
    if (value->type == json_object) {
        const bool planet = inPlanets;
        for (unsigned int i = 0; i < value->u.object.length; ++i) {
            process_value(value->u.object.values[i].value, depth + 1, value->u.object.values[i].name);
        }
        if (planet) {
            addPlanet(name, meshIndex, levelPath, orbitRadius, scale, orbitSpeed, kPlanetSpinSpeed);
        }
    } else if (value->type == json_array) {
        if (key != nullptr && strcmp(key, "planets") == 0) {
            inPlanets = true;
            systemText = name + " solar system";
            addPlanet(name, meshIndex, "", orbitRadius, scale, orbitSpeed, kStarSpinSpeed);
        }
        for (unsigned int i = 0; i < value->u.array.length; ++i) {
            process_value(value->u.array.values[i], depth + 1, nullptr);
        }
    }
    if (key != nullptr) {
        applyKey(key, value);
    }
}

void SolarSystem::applyKey(const char* key, const json_value* value) {
    if (strcmp(key, "name") == 0) {
        readText(value, &name);
    } else if (strcmp(key, "levelPath") == 0) {
        readText(value, &levelPath);
    } else if (strcmp(key, "meshIndex") == 0) {
        meshIndex = MathUtil::truncateToInt(json_number_as_float(value));
    } else if (strcmp(key, "scale") == 0) {
        scale = json_number_as_float(value);
    } else if (strcmp(key, "orbitRadius") == 0) {
        orbitRadius = json_number_as_float(value);
    } else if (strcmp(key, "orbitSpeed") == 0) {
        orbitSpeed = json_number_as_float(value);
    }
    // "backgroundSound" is accepted and has no effect; other keys are ignored.
}

void SolarSystem::addPlanet(std::string bodyName, int32_t bodyMeshIndex, std::string bodyLevelPath,
                            float bodyOrbitRadius, float bodyScale, float bodyOrbitSpeed, float spinSpeed) {
    // A random start on the orbit: one rand() scaled in float, the turn taken in double.
    const float unit = static_cast<float>(rand()) * kTwoToMinus31;
    const auto orbitAngle = static_cast<float>(2.0 * M_PI * static_cast<double>(unit));
    bodies.push_back(new CelestialBody(std::move(bodyName), bodyMeshIndex, std::move(bodyLevelPath), bodyOrbitRadius,
                                       bodyScale, bodyOrbitSpeed, spinSpeed, orbitAngle));
}

void SolarSystem::createMeshSets() {
    int mesh = 0;
    for (const glm::vec3& pivot : kPlanetPivots) {
        planetsModel->createMeshSet({mesh++}, pivot, kStandUp);
    }
}

std::string SolarSystem::artefactCountText() {
    char text[20];
    snprintf(text, sizeof(text), "ARTEFACTS %d/%d", artefactManager->getNumArtefactsFound(),
             artefactManager->getNumArtefactsTotal());
    return text;
}

std::string SolarSystem::update(float dt, float dragX, float dragY) {
    background->setUVOffset(dragX, dragY);
    for (CelestialBody* body : bodies) {
        body->advance(dt);
    }
    starfield->update(dt);
    glow->update(dt);
    return launch ? selectedLevel : std::string();
}

void SolarSystem::render(MatrixOwner* camera) {
    background->render(camera, false);
    // One ring and one model serve every body: only their placement changes between draws.
    for (CelestialBody* body : bodies) {
        orbitCircle->scale = body->orbitRadius;
        orbitCircle->render(camera);
        planetsModel->setPosition(body->position, false);
        planetsModel->setScale(body->scale, false);
        planetsModel->rotation.z = body->spin;
        planetsModel->updateAABB();
        planetsModel->renderMeshSet(camera, kLight, body->meshIndex);
    }
    starfield->render(camera);
    glow->render(camera);
}

void SolarSystem::mouseClick(bool left, glm::vec3& ground, glm::vec2& /*screen*/, SolarSystemCamera* camera) {
    if (!left) {
        selectedLevel.clear();
        hud->setArtefactStatusText(artefactCountText());
        hud->setSolarSystemText(systemText);
        hud->setState(HUD_STATE_STAR_MAP);
        camera->setFollowable(nullptr);
        return;
    }
    const glm::vec2 point(ground.x, ground.y);
    for (CelestialBody* body : bodies) {
        if (body->levelPath.empty() || !MathUtil::pointInsideCircle(glm::vec2(body->position), point, kPickRadius)) {
            continue;
        }
        selectedLevel = body->levelPath;
        hud->setSolarSystemText(body->name);
        hud->setArtefactStatusText(artefactManager->isArtefactFound(body->levelPath) ? "ARTEFACTS 1/1"
                                                                                     : "ARTEFACTS 0/1");
        hud->setState(HUD_STATE_PLANET_SELECTED);
        camera->setFollowable(body);
        return;
    }
}

std::string SolarSystem::getSelectedPlanetName() {
    return selectedLevel;
}

void SolarSystem::handleMessage(Message message, MessagePayload* /*payload*/) {
    if (message == MESSAGE_EXPLORE_BUTTON_CLICKED) {
        launch = true;
    }
}

const char* SolarSystem::whoIsThere() {
    return "SolarSystem";
}
