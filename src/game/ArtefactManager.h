// Which planets' artefacts the player has picked up in this game, and how many there are.
// A planet is known by its level file name. Nothing outlives the process.
#pragma once

#include <map>
#include <string>

class ArtefactManager {
public:
    explicit ArtefactManager(int total);

    // Marking a level file twice counts it once.
    void markArtefactFound(std::string levelFile);
    bool isArtefactFound(std::string levelFile);
    int getNumArtefactsTotal();
    int getNumArtefactsFound();
    bool allArtefactsFound();

    // The solar system overwrites it with its number of planets at each set-up.
    int total;

private:
    // The value is always true: an entry means found, and entries are never removed.
    std::map<std::string, bool> found;
};
