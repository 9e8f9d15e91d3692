// The process-wide cache of shader programs, keyed by the names of their stages and shared
// with reference counts. Created on first use; lives until the process ends.
#pragma once

#include <map>
#include <string>

#include "render/ShaderProgram.h"

class ProgramManager {
public:
    static ProgramManager* getInstance();

    // The shared program for these stage names, built on first request; null on failure,
    // and a failed build is not cached.
    ShaderProgram* loadProgram(std::string vertex, std::string fragment, std::string geometry);
    // Gives back one reference; the last one deletes the program.
    void freeProgram(std::string vertex, std::string fragment, std::string geometry);

    // Shares held of every cached program, by its stage names joined.
    std::map<std::string, int> getReferenceCounts() const;

private:
    ProgramManager() = default;

    static ProgramManager* sInstance;
    // Owns the programs in it.
    std::map<std::string, ShaderProgram*> programs;
};
