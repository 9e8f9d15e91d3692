// A model imported the way Model::setup imports it: the OBJ entry from the package through
// Assimp, its material library through the importer's file system over the package, and the
// scene turned into meshes (everything but the upload, which needs an OpenGL context).
// The input is the OBJ text, then optionally the material library after a part separator;
// the library is stored under the name the OBJ's first "mtllib" line gives it.
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "render/Model.h"

namespace {

std::string firstMaterialLibrary(const std::string& obj) {
    const std::string statement = "mtllib ";
    const size_t found = obj.find(statement);
    if (found == std::string::npos) {
        return "";
    }
    const size_t start = found + statement.size();
    const size_t end = obj.find_first_of("\r\n", start);
    return obj.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<std::string> parts = fuzz_support::splitParts(data, size);
    // The backslash makes the model's directory "models" for the importer but leaves the
    // texture folder without a '/', so no texture entry can ever match: decoding one would
    // need an OpenGL context (the image target covers the decode).
    const std::string objEntry = "models\\fuzz.obj";
    fuzz_support::Entries entries = {{objEntry, parts[0]}};
    const std::string library = firstMaterialLibrary(parts[0]);
    if (parts.size() > 1 && !library.empty() && library.size() < 50) {
        entries.emplace_back("models/" + library, parts[1]);
    }
    fuzz_support::writePackage(entries);
    Model model(objEntry, "shaders/model.vs", "shaders/model.fs", (size & 1) != 0);
    if (model.importMeshes()) {
        model.updateAABB();
    }
    return 0;
}
