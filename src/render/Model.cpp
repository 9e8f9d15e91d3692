#include "render/Model.h"

#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <assimp/Importer.hpp>
#include <cstdlib>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

#include "core/CustomAssimpLoader.h"
#include "core/Log.h"
#include "core/PackageManager.h"
#include "render/MatrixOwner.h"
#include "render/ProgramManager.h"
#include "render/ShaderProgram.h"
#include "render/TextureManager.h"

namespace {

constexpr unsigned int kImportFlags = aiProcess_Triangulate | aiProcess_GenNormals;

// The box starts inverted so that the first vertex sets both corners; a model without
// vertices keeps these values.
constexpr float kBoxStart = 1000.0f;

struct TextureKind {
    aiTextureType type;
    const char* name;
};
// Height maps are the normal maps of our material files, and ambient maps are the ones the
// shaders call height maps.
constexpr TextureKind kTextureKinds[4] = {
    {aiTextureType_DIFFUSE, "texture_diffuse"},
    {aiTextureType_SPECULAR, "texture_specular"},
    {aiTextureType_HEIGHT, "texture_normal"},
    {aiTextureType_AMBIENT, "texture_height"},
};

glm::vec3 toVec3(const aiVector3D& vector) {
    return glm::vec3(vector.x, vector.y, vector.z);
}

}  // namespace

Model::Model(std::string objPath, std::string vertexShader, std::string fragmentShader, bool flipUVs)
    : objPath(std::move(objPath)),
      flipUVs(flipUVs),
      vertexShader(std::move(vertexShader)),
      fragmentShader(std::move(fragmentShader)) {}

Model::~Model() {
    // Only a reference that setup() obtained is given back: the program is shared.
    if (program != nullptr) {
        ProgramManager::getInstance()->freeProgram(vertexShader, fragmentShader, "");
    }
    for (const Texture& texture : texturesLoaded) {
        if (texture.id != 0) {
            TextureManager::getInstance()->freeTexture(textureDirectory() + "/" + texture.path);
        }
    }
    for (MeshSet* meshSet : meshSets) {
        delete meshSet;
    }
    for (Mesh* mesh : meshes) {
        delete mesh;
    }
}

std::string Model::getBasePath(const std::string& path) {
    const size_t separator = path.find_last_of("/\\");
    return separator == std::string::npos ? path : path.substr(0, separator);
}

std::string Model::textureDirectory() const {
    const size_t separator = objPath.find_last_of('/');
    return separator == std::string::npos ? objPath : objPath.substr(0, separator);
}

bool Model::setup() {
    program = ProgramManager::getInstance()->loadProgram(vertexShader, fragmentShader, "");
    if (program == nullptr) {
        return false;
    }
    if (!importMeshes()) {
        return false;
    }
    for (size_t index = 0; index < meshes.size(); ++index) {
        if (!meshes[index]->setup()) {
            LOG_ERROR("Failed to setup mesh %d", static_cast<int>(index));
            return false;
        }
    }
    updateAABB();
    return true;
}

bool Model::importMeshes() {
    size = glm::vec3(0.0f);
    aabbMin = glm::vec3(kBoxStart);
    aabbMax = glm::vec3(-kBoxStart);

    Assimp::Importer importer;
    // The importer owns the file system and deletes it with itself.
    importer.SetIOHandler(new CustomAssimpLoader(getBasePath(objPath)));
    const unsigned int flags = flipUVs ? (kImportFlags | aiProcess_FlipUVs) : kImportFlags;

    uint32_t length = 0;
    char* buffer = PackageManager::getInstance()->load(kPackageFile, objPath, &length);
    if (buffer == nullptr) {
        LOG_ERROR("Failed to load %s from package", objPath.c_str());
        return false;
    }
    // The importer may read the model's own text as its material library.
    if (!CustomAssimpLoader::isSafeMaterialText(buffer, length)) {
        LOG_ERROR("Model %s sets a material before naming one", objPath.c_str());
        free(buffer);
        return false;
    }
    const aiScene* scene = importer.ReadFileFromMemory(buffer, length, flags, "obj");
    free(buffer);
    if (scene == nullptr || (scene->mFlags & AI_SCENE_FLAGS_INCOMPLETE) != 0 || scene->mRootNode == nullptr) {
        LOG_ERROR("ASSIMP model setup problem %s", importer.GetErrorString());
        return false;
    }
    processNode(scene->mRootNode, scene);
    return true;
}

void Model::processNode(aiNode* node, const aiScene* scene) {
    for (unsigned int i = 0; i < node->mNumMeshes; ++i) {
        // The importer validates its scenes, but an index past the mesh table would be read
        // from outside it.
        if (node->mMeshes[i] < scene->mNumMeshes) {
            meshes.push_back(processMesh(scene->mMeshes[node->mMeshes[i]], scene));
        }
    }
    for (unsigned int i = 0; i < node->mNumChildren; ++i) {
        processNode(node->mChildren[i], scene);
    }
}

void Model::growBox(const glm::vec3& point) {
    for (int axis = 0; axis < 3; ++axis) {
        if (aabbMin[axis] > point[axis]) {
            aabbMin[axis] = point[axis];
        }
        if (point[axis] > aabbMax[axis]) {
            aabbMax[axis] = point[axis];
        }
    }
}

Mesh* Model::processMesh(aiMesh* mesh, const aiScene* scene) {
    std::vector<MeshVertexData> vertices(mesh->mNumVertices);
    for (unsigned int i = 0; i < mesh->mNumVertices; ++i) {
        MeshVertexData& vertex = vertices[i];
        vertex.position = toVec3(mesh->mVertices[i]);
        vertex.normal = mesh->mNormals != nullptr ? toVec3(mesh->mNormals[i]) : glm::vec3(1.0f, 0.0f, 0.0f);
        vertex.texCoords = mesh->mTextureCoords[0] != nullptr
                               ? glm::vec2(mesh->mTextureCoords[0][i].x, mesh->mTextureCoords[0][i].y)
                               : glm::vec2(0.0f);
        vertex.tangent = mesh->mTangents != nullptr ? toVec3(mesh->mTangents[i]) : glm::vec3(0.0f);
        vertex.bitangent = mesh->mBitangents != nullptr ? toVec3(mesh->mBitangents[i]) : glm::vec3(0.0f);
        growBox(vertex.position);
    }
    std::vector<unsigned int> indices;
    for (unsigned int f = 0; f < mesh->mNumFaces; ++f) {
        const aiFace& face = mesh->mFaces[f];
        // A damaged file must not make the draw read vertices past the buffer's end.
        bool valid = true;
        for (unsigned int k = 0; k < face.mNumIndices; ++k) {
            valid = valid && face.mIndices[k] < mesh->mNumVertices;
        }
        if (valid) {
            indices.insert(indices.end(), face.mIndices, face.mIndices + face.mNumIndices);
        }
    }
    std::vector<Texture> textures;
    Material material{glm::vec3(0.0f), glm::vec3(0.0f), glm::vec3(0.0f), 0.0f};
    if (mesh->mMaterialIndex < scene->mNumMaterials) {
        aiMaterial* aiMat = scene->mMaterials[mesh->mMaterialIndex];
        for (const TextureKind& kind : kTextureKinds) {
            std::vector<Texture> found = loadMaterialTextures(aiMat, kind.type, kind.name);
            textures.insert(textures.end(), found.begin(), found.end());
        }
        material = loadMaterial(aiMat);
    }
    return new Mesh(std::move(vertices), std::move(indices), std::move(textures), material);
}

std::vector<Texture> Model::loadMaterialTextures(aiMaterial* material, aiTextureType type,
                                                 const std::string& typeName) {
    std::vector<Texture> result;
    const unsigned int count = aiGetMaterialTextureCount(material, type);
    for (unsigned int i = 0; i < count; ++i) {
        aiString name;
        aiGetMaterialTexture(material, type, i, &name, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
        const std::string path(name.C_Str(), name.length);
        bool reused = false;
        for (const Texture& loaded : texturesLoaded) {
            // A texture named twice is loaded once and keeps the kind it was first loaded as.
            if (loaded.path == path) {
                result.push_back(loaded);
                reused = true;
                break;
            }
        }
        if (reused) {
            continue;
        }
        Texture texture;
        texture.id = TextureManager::getInstance()->loadTexture(textureDirectory() + "/" + path, true);
        texture.type = typeName;
        texture.path = path;
        result.push_back(texture);
        texturesLoaded.push_back(texture);
    }
    return result;
}

Material Model::loadMaterial(aiMaterial* material) {
    Material result{glm::vec3(0.0f), glm::vec3(0.0f), glm::vec3(0.0f), 0.0f};
    aiColor4D colour(0.0f, 0.0f, 0.0f, 0.0f);
    aiGetMaterialColor(material, "$clr.diffuse", 0, 0, &colour);
    result.diffuse = glm::vec3(colour.r, colour.g, colour.b);
    colour = aiColor4D(0.0f, 0.0f, 0.0f, 0.0f);
    aiGetMaterialColor(material, "$clr.ambient", 0, 0, &colour);
    result.ambient = glm::vec3(colour.r, colour.g, colour.b);
    colour = aiColor4D(0.0f, 0.0f, 0.0f, 0.0f);
    aiGetMaterialColor(material, "$clr.specular", 0, 0, &colour);
    result.specular = glm::vec3(colour.r, colour.g, colour.b);
    float shininess = 0.0f;
    aiGetMaterialFloatArray(material, "$mat.shininess", 0, 0, &shininess, nullptr);
    result.shininess = shininess;
    return result;
}

void Model::createMeshSet(std::vector<int> meshIndices, const glm::vec3& pivot, const glm::vec3& rotation) {
    meshSets.push_back(new MeshSet{std::move(meshIndices), pivot, rotation});
}

void Model::setScale(float newScale, bool updateBoundingBox) {
    scale = newScale;
    if (updateBoundingBox) {
        updateAABB();
    }
}

void Model::setPosition(const glm::vec3& newPosition, bool updateBoundingBox) {
    position = newPosition;
    if (updateBoundingBox) {
        updateAABB();
    }
}

glm::mat4 Model::modelRotation() const {
    glm::mat4 turn = glm::rotate(glm::mat4(1.0f), rotation.x, glm::vec3(1.0f, 0.0f, 0.0f));
    turn = glm::rotate(turn, rotation.y, glm::vec3(0.0f, 1.0f, 0.0f));
    return glm::rotate(turn, rotation.z, glm::vec3(0.0f, 0.0f, 1.0f));
}

void Model::updateAABB() {
    // Only the two stored corners are turned, so a turned model's size is the extent of its
    // turned diagonal.
    const glm::mat4 transform = glm::scale(modelRotation(), glm::vec3(scale));
    const glm::vec3 a = glm::vec3(transform * glm::vec4(aabbMin, 1.0f));
    const glm::vec3 b = glm::vec3(transform * glm::vec4(aabbMax, 1.0f));
    size = glm::abs(b - a);
    top = glm::vec3(position.x, position.y, position.z + size.z);
}

void Model::update(float) {}

void Model::beginDraw(MatrixOwner* camera, const glm::vec3& lightPosition) {
    program->use();
    const GLuint id = program->getId();
    const GLint projectionLocation = glGetUniformLocation(id, "u_projection_matrix");
    const GLint viewLocation = glGetUniformLocation(id, "u_view_matrix");
    const GLint viewDirLocation = glGetUniformLocation(id, "u_view_dir");
    const GLint viewPosLocation = glGetUniformLocation(id, "u_view_pos");
    const GLint lightLocation = glGetUniformLocation(id, "u_light_pos");
    glUniform3fv(lightLocation, 1, glm::value_ptr(lightPosition));
    glUniform3fv(viewDirLocation, 1, glm::value_ptr(*camera->getViewDirection()));
    glUniform3fv(viewPosLocation, 1, glm::value_ptr(*camera->getPosition()));
    glUniformMatrix4fv(projectionLocation, 1, GL_FALSE, glm::value_ptr(*camera->getPerspectiveMatrix()));
    const glm::mat4 view = camera->getViewMatrix();
    glUniformMatrix4fv(viewLocation, 1, GL_FALSE, glm::value_ptr(view));
}

void Model::render(MatrixOwner* camera, const glm::vec3& lightPosition) {
    if (program == nullptr) {
        return;
    }
    beginDraw(camera, lightPosition);
    const glm::mat4 world = glm::scale(glm::translate(glm::mat4(1.0f), position) * modelRotation(), glm::vec3(scale));
    glUniformMatrix4fv(glGetUniformLocation(program->getId(), "u_world_matrix"), 1, GL_FALSE, glm::value_ptr(world));
    for (Mesh* mesh : meshes) {
        mesh->render(camera, program);
    }
}

void Model::renderMeshSet(MatrixOwner* camera, const glm::vec3& lightPosition, int meshSetIndex) {
    if (meshSetIndex < 0 || meshSetIndex >= getNumMeshSets()) {
        LOG_WARNING("Invalid mesh set index");
        return;
    }
    if (program == nullptr) {
        return;
    }
    const MeshSet& meshSet = *meshSets[static_cast<size_t>(meshSetIndex)];
    beginDraw(camera, lightPosition);
    glm::mat4 world = glm::translate(glm::mat4(1.0f), position) * modelRotation();
    world = glm::translate(world, -meshSet.pivot);
    world = glm::rotate(world, meshSet.rotation.x, glm::vec3(1.0f, 0.0f, 0.0f));
    world = glm::scale(world, glm::vec3(scale));
    glUniformMatrix4fv(glGetUniformLocation(program->getId(), "u_world_matrix"), 1, GL_FALSE, glm::value_ptr(world));
    for (int meshIndex : meshSet.meshIndices) {
        // A set naming a mesh the model does not have would read past the mesh list.
        if (meshIndex >= 0 && meshIndex < static_cast<int>(meshes.size())) {
            meshes[static_cast<size_t>(meshIndex)]->render(camera, program);
        }
    }
}
