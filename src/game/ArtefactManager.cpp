#include "game/ArtefactManager.h"

#include <utility>

ArtefactManager::ArtefactManager(int total) : total(total) {}

void ArtefactManager::markArtefactFound(std::string levelFile) {
    found.emplace(std::move(levelFile), true);
}

bool ArtefactManager::isArtefactFound(std::string levelFile) {
    return found.count(levelFile) != 0;
}

int ArtefactManager::getNumArtefactsTotal() {
    return total;
}

int ArtefactManager::getNumArtefactsFound() {
    return static_cast<int>(found.size());
}

bool ArtefactManager::allArtefactsFound() {
    return getNumArtefactsFound() == total;
}
