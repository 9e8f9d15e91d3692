// The three families of the nature textures; NatureTextures.cpp runs them in turn.
#pragma once

#include <string>

namespace nature {

// "textures/p1_*" to "textures/p5_*": diffuse, normal and specular maps of the ground.
bool writeGroundTextures(const std::string& outDir);

// "textures/skybox_1.jpg" to "textures/skybox_5.jpg", laid out for the sky box's cube mapping.
bool writeSkyboxes(const std::string& outDir);

// "textures/water.jpg", "textures/water2.png" and "textures/lava.jpg".
bool writeLiquidTextures(const std::string& outDir);

}  // namespace nature
