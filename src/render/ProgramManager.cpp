#include "render/ProgramManager.h"

#include "core/Log.h"

ProgramManager* ProgramManager::sInstance = nullptr;

namespace {
// The three names joined with nothing between them: triples whose concatenations are equal
// share one program.
std::string programKey(const std::string& vertex, const std::string& fragment, const std::string& geometry) {
    return vertex + fragment + geometry;
}
}  // namespace

ProgramManager* ProgramManager::getInstance() {
    if (sInstance == nullptr) {
        sInstance = new ProgramManager();
    }
    return sInstance;
}

ShaderProgram* ProgramManager::loadProgram(std::string vertex, std::string fragment, std::string geometry) {
    const std::string key = programKey(vertex, fragment, geometry);
    auto found = programs.find(key);
    if (found != programs.end()) {
        found->second->referenceCount++;
        return found->second;
    }
    ShaderProgram* program = new ShaderProgram(vertex, fragment, geometry);
    if (!program->build()) {
        LOG_ERROR("Failed to build program (%s, %s, %s)", vertex.c_str(), fragment.c_str(), geometry.c_str());
        delete program;
        return nullptr;
    }
    programs[key] = program;
    return program;
}

void ProgramManager::freeProgram(std::string vertex, std::string fragment, std::string geometry) {
    const std::string key = programKey(vertex, fragment, geometry);
    auto found = programs.find(key);
    if (found == programs.end()) {
        LOG_ERROR("The program with key %s was not found", key.c_str());
        return;
    }
    ShaderProgram* program = found->second;
    if (program->referenceCount-- == 1) {
        programs.erase(found);
        delete program;
    }
}

std::map<std::string, int> ProgramManager::getReferenceCounts() const {
    std::map<std::string, int> counts;
    for (const auto& [key, program] : programs) {
        counts[key] = program->getReferenceCount();
    }
    return counts;
}
