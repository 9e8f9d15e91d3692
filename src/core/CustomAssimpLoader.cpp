#include "core/CustomAssimpLoader.h"

#include <cstdlib>

#include "core/CustomAssimpIOStream.h"
#include "core/Log.h"
#include "core/PackageManager.h"

CustomAssimpLoader::CustomAssimpLoader(const std::string& directory) {
    directories.push_back(directory);
}

CustomAssimpLoader::~CustomAssimpLoader() = default;

bool CustomAssimpLoader::Exists(const char* name) const {
    char* bytes = PackageManager::getInstance()->load(kPackageFile, name, nullptr);
    if (bytes == nullptr) {
        LOG_ERROR("CustomLoader, %s does not exist!", name);
        return false;
    }
    free(bytes);
    return true;
}

char CustomAssimpLoader::getOsSeparator() const {
    return '/';
}

Assimp::IOStream* CustomAssimpLoader::Open(const char* name, const char* /*mode*/) {
    uint32_t size = 0;
    char* bytes = PackageManager::getInstance()->load(kPackageFile, name, &size);
    if (bytes == nullptr) {
        return nullptr;
    }
    return new CustomAssimpIOStream(bytes, size);
}

Assimp::IOStream* CustomAssimpLoader::Open(const std::string& name, const std::string& mode) {
    return Open(name.c_str(), mode.c_str());
}

void CustomAssimpLoader::Close(Assimp::IOStream* stream) {
    delete stream;
}

bool CustomAssimpLoader::ComparePaths(const char* /*one*/, const char* /*second*/) const {
    return true;
}

bool CustomAssimpLoader::PushDirectory(const std::string& path) {
    directories.push_back(path);
    return true;
}

const std::string& CustomAssimpLoader::CurrentDirectory() const {
    // The importer never asks with an empty stack; an empty path is the harmless answer.
    static const std::string kNoDirectory;
    return directories.empty() ? kNoDirectory : directories.back();
}

size_t CustomAssimpLoader::StackSize() const {
    return directories.size();
}

bool CustomAssimpLoader::PopDirectory() {
    if (directories.empty()) {
        return false;
    }
    directories.pop_back();
    return true;
}

bool CustomAssimpLoader::CreateDirectory(const std::string& /*path*/) {
    return true;
}

bool CustomAssimpLoader::ChangeDirectory(const std::string& /*path*/) {
    return true;
}

bool CustomAssimpLoader::DeleteFile(const std::string& /*file*/) {
    return true;
}
