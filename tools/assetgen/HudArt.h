// The interface pieces and the space pictures of the hud textures group, split over two
// files; one palette keeps them looking like one game: cool cyan light on dark navy glass
// with a warm amber accent.
#pragma once

#include "Raster.h"

#include <string>

namespace hudart {

const raster::Color kNavyDeep = raster::hex(0x050b14);
const raster::Color kNavy = raster::hex(0x0c1c2c);
const raster::Color kNavyLight = raster::hex(0x16344a);
const raster::Color kTeal = raster::hex(0x1a9aa8);
const raster::Color kCyan = raster::hex(0x3fe3ee);
const raster::Color kCyanPale = raster::hex(0xc4fbff);
const raster::Color kAmber = raster::hex(0xffa23a);
const raster::Color kAmberPale = raster::hex(0xffd98a);
const raster::Color kWhite = raster::hex(0xffffff);

bool writeLogo(const std::string& outDir, const raster::TrueTypeFont& titleFont);
bool writeButtons(const std::string& outDir, const raster::TrueTypeFont& captionFont);
bool writeLifeIndicator(const std::string& outDir);
bool writeCompassNeedle(const std::string& outDir);
bool writeCrosshair(const std::string& outDir);
bool writeGun(const std::string& outDir);
bool writeMuzzleFlash(const std::string& outDir);

bool writePauseBackground(const std::string& outDir);
bool writeStarPanorama(const std::string& outDir);
bool writeEnergyMap(const std::string& outDir);
bool writeSun(const std::string& outDir);
bool writeParticle(const std::string& outDir);

}  // namespace hudart
