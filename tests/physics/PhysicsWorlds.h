#pragma once
// Small worlds for the physics tests, cooked as the level is: triangles made here, the ground
// plane and the factory's player.
#include <sstream>
#include <string>
#include <vector>

#include <glm/glm.hpp>
#include <glm/gtc/type_ptr.hpp>

#include "physics/CCT.h"
#include "physics/CharacterController.h"
#include "physics/CollisionMesh.h"
#include "physics/PhysX.h"
#include "physics/PhysXFactory.h"

// Triangles for cookCollisionMesh, which takes the mesh; both sides of a triangle collide.
inline CollisionMesh* addQuad(CollisionMesh* mesh, const glm::vec3& a, const glm::vec3& b,
                              const glm::vec3& c, const glm::vec3& d) {
    mesh->vertices.insert(mesh->vertices.end(), {a, b, c, d});
    for (const uint32_t corner : {0u, 1u, 2u, 0u, 2u, 3u}) {
        mesh->indices.push_back(mesh->vertexCount + corner);
    }
    mesh->vertexCount += 4;
    mesh->triangleCount += 2;
    return mesh;
}

inline CollisionMesh* box(const glm::vec3& lo, const glm::vec3& hi) {
    // Corner i lies at hi on the axes of its set bits; each face goes round four corners.
    const auto corner = [&](int i) {
        return glm::vec3(i & 1 ? hi.x : lo.x, i & 2 ? hi.y : lo.y, i & 4 ? hi.z : lo.z);
    };
    const int faces[] = {0, 1, 3, 2, 4, 5, 7, 6, 0, 1, 5, 4, 2, 3, 7, 6, 0, 2, 6, 4, 1, 3, 7, 5};
    auto* mesh = new CollisionMesh();
    for (int f = 0; f < 24; f += 4) {
        addQuad(mesh, corner(faces[f]), corner(faces[f + 1]), corner(faces[f + 2]),
                corner(faces[f + 3]));
    }
    return mesh;
}

struct TestWorld {
    PhysX physX;
    PhysXFactory factory{physX, 800, 600};
    CCT* player = nullptr;

    // The ground plane, the level if one is given, and the player with its foot at foot.
    explicit TestWorld(const glm::vec3& foot = glm::vec3(0.0f), CollisionMesh* level = nullptr) {
        addGroundPlane(physX);
        if (level != nullptr) {
            cookCollisionMesh(physX, level);
        }
        player = factory.createPlayer(physX);
        placeFoot(foot);
    }
    void frame(float seconds) { physX.step(seconds); }
    // Fixed steps with a constant walking velocity.
    void walk(const glm::vec3& velocity, int steps) {
        player->velocity = glm::vec4(velocity, 0.0f);
        for (int i = 0; i < steps; ++i) {
            frame(kStepTime);
        }
    }
    void placeFoot(const glm::vec3& foot) { player->controller->setFootPosition(foot); }
    glm::vec3 foot() const { return glm::vec3(player->controller->getFootPosition()); }
};

// A COLLADA file with one horizontal triangle at height 1 around the origin, placed once per
// matrix as the drug and table files are. Without firstHasMesh the first node holds no mesh.
inline std::string placementsDae(const std::vector<glm::mat4>& placements,
                                 bool firstHasMesh = true) {
    std::ostringstream out;
    out.precision(9);
    // The loader asks for normals and texture coordinates, not for sensible ones.
    out << "<COLLADA xmlns=\"http://www.collada.org/2005/11/COLLADASchema\" version=\"1.4.1\">\n"
           "<library_geometries><geometry id=\"piece\"><mesh>\n"
           "<source id=\"p\"><float_array id=\"pa\" count=\"9\">-10 1 -10 30 1 -10 -10 1 30"
           "</float_array><technique_common><accessor source=\"#pa\" count=\"3\" stride=\"3\">"
           "<param name=\"X\" type=\"float\"/><param name=\"Y\" type=\"float\"/>"
           "<param name=\"Z\" type=\"float\"/></accessor></technique_common></source>\n"
           "<vertices id=\"v\"><input semantic=\"POSITION\" source=\"#p\"/></vertices>\n"
           "<triangles count=\"1\"><input semantic=\"VERTEX\" source=\"#v\" offset=\"0\"/>"
           "<input semantic=\"NORMAL\" source=\"#p\" offset=\"0\"/>"
           "<input semantic=\"TEXCOORD\" source=\"#p\" offset=\"0\"/><p>0 1 2</p></triangles>\n"
           "</mesh></geometry></library_geometries>\n"
           "<library_visual_scenes><visual_scene id=\"s\">\n";
    for (size_t i = 0; i < placements.size(); ++i) {
        out << "<node id=\"n" << i << "\"><matrix>";
        const glm::mat4 rows = glm::transpose(placements[i]);
        for (int k = 0; k < 16; ++k) {
            out << glm::value_ptr(rows)[k] << ' ';
        }
        out << "</matrix>" << (i > 0 || firstHasMesh ? "<instance_geometry url=\"#piece\"/>" : "")
            << "</node>\n";
    }
    out << "</visual_scene></library_visual_scenes>\n"
           "<scene><instance_visual_scene url=\"#s\"/></scene></COLLADA>\n";
    return out.str();
}
