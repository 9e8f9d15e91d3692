#include "core/CustomAssimpLoader.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

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
    if (!isSafeMaterialText(bytes, size)) {
        LOG_ERROR("Material library %s sets a material before naming one", name);
        free(bytes);
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

namespace {

// The importer ends a line at any of these and skips blanks after it.
bool isLineEnd(char character) {
    return character == '\n' || character == '\r' || character == '\0' || character == '\f';
}

bool startsWithNoCase(const char* text, size_t size, const char* prefix) {
    const size_t length = strlen(prefix);
    if (size < length) {
        return false;
    }
    for (size_t i = 0; i < length; ++i) {
        if (tolower(static_cast<unsigned char>(text[i])) != prefix[i]) {
            return false;
        }
    }
    return true;
}

// The statements that the importer writes into the current material without testing it:
// texture maps (map_..., bump, disp, norm or any "no", refl) and the anisotropy "a". The
// importer matches them by their first letters, in either case, so these are prefixes.
bool writesTheCurrentMaterial(const char* line, size_t size) {
    static const char* const kPrefixes[] = {"map_", "bump", "disp", "no", "refl", "a"};
    for (const char* prefix : kPrefixes) {
        if (startsWithNoCase(line, size, prefix)) {
            return true;
        }
    }
    return false;
}

}  // namespace

bool CustomAssimpLoader::isSafeMaterialText(const char* text, size_t size) {
    size_t position = 0;
    while (position < size) {
        size_t end = position;
        while (end < size && !isLineEnd(text[end])) {
            ++end;
        }
        // A material starts only where the importer surely sees "newmtl": at the start of the
        // text, or after blanks at the start of a later line. A property statement counts
        // wherever the importer might see one, also behind other control characters.
        size_t statement = position;
        while (statement < end && (text[statement] == ' ' || text[statement] == '\t') && position > 0) {
            ++statement;
        }
        if (end - statement >= 6 && memcmp(text + statement, "newmtl", 6) == 0) {
            return true;
        }
        while (statement < end && static_cast<unsigned char>(text[statement]) <= ' ') {
            ++statement;
        }
        if (writesTheCurrentMaterial(text + statement, end - statement)) {
            return false;
        }
        position = end + 1;
    }
    return true;
}
