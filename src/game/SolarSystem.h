// The star map's scene: a star and its planets read from a solar-system description, each on
// a circular orbit about the origin, over a scrolling background with the orbit rings and two
// particle effects. A left click near a planet selects it (the HUD and the camera follow);
// the explore button's message launches it, and update() then hands over its level file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <GL/glew.h>
#include <glm/glm.hpp>

#include "core/Json.h"
#include "core/MessageReceiver.h"
#include "game/CelestialBody.h"

class ArtefactManager;
class Circle;
class Hud;
class MatrixOwner;
class Model;
class ParticleSystem;
class ScreenQuad;
class SolarSystemCamera;

class SolarSystem : public MessageReceiver {
public:
    // Neither the HUD nor the artefact manager is owned.
    SolarSystem(std::string jsonPath, Hud* hud, ArtefactManager* artefactManager);
    ~SolarSystem() override;
    SolarSystem(const SolarSystem&) = delete;
    SolarSystem& operator=(const SolarSystem&) = delete;

    bool setup();
    // Advances the bodies and the effects; the drag (pixels) scrolls the background. Returns
    // the selected planet's level file once launched, else an empty string.
    std::string update(float dt, float dragX, float dragY);
    void render(MatrixOwner* camera);
    // ground: the cursor's point on the plane z = 0. The left button selects the first body
    // within reach that has a level file; any other button clears the selection.
    void mouseClick(bool left, glm::vec3& ground, glm::vec2& screen, SolarSystemCamera* camera);
    // The selected planet's level file; empty when nothing is selected.
    std::string getSelectedPlanetName();

    void handleMessage(Message message, MessagePayload* payload) override;
    const char* whoIsThere() override;

    // Reads the description into bodies; false after a line when it is missing or not JSON.
    bool loadCelestialBodies();

    const std::vector<CelestialBody*>& getBodies() const { return bodies; }
    const std::string& getSystemText() const { return systemText; }

private:
    void process_value(const json_value* value, int depth, const char* key);
    void applyKey(const char* key, const json_value* value);
    void addPlanet(std::string name, int32_t meshIndex, std::string levelPath, float orbitRadius, float scale,
                   float orbitSpeed, float spinSpeed);
    void createMeshSets();
    std::string artefactCountText();

    Model* planetsModel;
    std::vector<CelestialBody*> bodies;
    ScreenQuad* background;
    GLuint backgroundTexture = 0;
    Circle* orbitCircle;
    ParticleSystem* starfield;
    ParticleSystem* glow;
    std::string jsonPath;
    std::string systemText;
    std::string selectedLevel;
    bool launch = false;
    Hud* hud;
    ArtefactManager* artefactManager;

    // The reading state of the description: one set of current values for every body, so a
    // key missing from a planet keeps what the body before it had.
    bool inPlanets = false;
    std::string name;
    std::string levelPath;
    int32_t meshIndex = 0;
    float scale = 1.0f;
    float orbitRadius = 0.0f;
    float orbitSpeed = 0.0f;
};
