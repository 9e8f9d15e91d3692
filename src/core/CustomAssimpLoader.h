// The model importer's file system: every file the importer opens by name (a model's
// material library) is answered from the package data.tul instead of the disk. Made by a
// model with its own directory and handed to the importer, which owns and deletes it.
#pragma once

#include <assimp/IOSystem.hpp>

#include <deque>
#include <string>

class CustomAssimpLoader : public Assimp::IOSystem {
public:
    // directory: the model's entry name up to its last separator, such as "models/planets".
    explicit CustomAssimpLoader(const std::string& directory);
    ~CustomAssimpLoader() override;

    bool Exists(const char* name) const override;
    char getOsSeparator() const override;
    // A stream over the entry's bytes, or null when the package does not hold it or when it
    // is material text that the importer cannot read safely (isSafeMaterialText).
    Assimp::IOStream* Open(const char* name, const char* mode = "rb") override;
    Assimp::IOStream* Open(const std::string& name, const std::string& mode = std::string("rb"));
    void Close(Assimp::IOStream* stream) override;
    // Entry names are unique in the package and the importer only asks this to spot a
    // file including itself, which our models never do.
    bool ComparePaths(const char* one, const char* second) const override;
    bool PushDirectory(const std::string& path) override;
    const std::string& CurrentDirectory() const override;
    size_t StackSize() const override;
    bool PopDirectory() override;
    // The package is read-only: these succeed without doing anything.
    bool CreateDirectory(const std::string& path) override;
    bool ChangeDirectory(const std::string& path) override;
    bool DeleteFile(const std::string& file) override;

    // False when the text, read as a material library, sets a material property before its
    // first "newmtl". The OBJ importer of Assimp 5.2.5 then writes through a null material and
    // crashes, so such text must never reach it. That covers the OBJ text itself too: when a
    // model imported from memory names a material library that cannot be opened, the
    // importer reads the model's own text as its material library.
    static bool isSafeMaterialText(const char* text, size_t size);

private:
    std::deque<std::string> directories;
};
