#include "PhysicsWorlds.h"

#include <cmath>
#include <sstream>

#include "physics/CCT.h"
#include "physics/CharacterController.h"

void MeshBuilder::triangle(const glm::vec3& a, const glm::vec3& b, const glm::vec3& c) {
    for (const glm::vec3& corner : {a, b, c}) {
        mesh->indices.push_back(mesh->vertexCount++);
        mesh->vertices.push_back(corner);
    }
    ++mesh->triangleCount;
}

void MeshBuilder::quad(const glm::vec3& a, const glm::vec3& b, const glm::vec3& c,
                       const glm::vec3& d) {
    triangle(a, b, c);
    triangle(a, c, d);
}

void MeshBuilder::box(const glm::vec3& lo, const glm::vec3& hi) {
    const glm::vec3 p[8] = {{lo.x, lo.y, lo.z}, {hi.x, lo.y, lo.z}, {hi.x, hi.y, lo.z},
                            {lo.x, hi.y, lo.z}, {lo.x, lo.y, hi.z}, {hi.x, lo.y, hi.z},
                            {hi.x, hi.y, hi.z}, {lo.x, hi.y, hi.z}};
    quad(p[0], p[1], p[2], p[3]);
    quad(p[4], p[5], p[6], p[7]);
    quad(p[0], p[4], p[7], p[3]);
    quad(p[1], p[5], p[6], p[2]);
    quad(p[0], p[1], p[5], p[4]);
    quad(p[3], p[2], p[6], p[7]);
}

void MeshBuilder::ramp(float degrees, float start, float height) {
    const float top = start + height / std::tan(glm::radians(degrees));
    quad({start, 0, -10}, {top, height, -10}, {top, height, 10}, {start, 0, 10});
    quad({top, height, -10}, {top + 20, height, -10}, {top + 20, height, 10}, {top, height, 10});
}

TestWorld::TestWorld(const glm::vec3& startFoot) {
    addGroundPlane(physX);
    player = factory.createPlayer(physX);
    player->controller->setFootPosition(startFoot);
}

void TestWorld::add(MeshBuilder& builder) {
    cookCollisionMesh(physX, builder.mesh);
    builder.mesh = nullptr;
}

void TestWorld::walk(const glm::vec3& velocity, int steps) {
    player->velocity = glm::vec4(velocity, 0.0f);
    for (int i = 0; i < steps; ++i) {
        float frameTime = kStepTime;
        physX.step(frameTime);
    }
}

glm::vec3 TestWorld::foot() const {
    return glm::vec3(player->controller->getFootPosition());
}

glm::vec3 TestWorld::centre() const {
    return glm::vec3(player->controller->getPosition());
}

std::string placementsDae(const std::vector<glm::mat4>& placements, float size, float height,
                          bool firstHasMesh) {
    std::ostringstream out;
    out.precision(9);
    const float s = size;
    const float h = height;
    out << "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
           "<COLLADA xmlns=\"http://www.collada.org/2005/11/COLLADASchema\" version=\"1.4.1\">\n"
           "<asset><up_axis>Y_UP</up_axis></asset>\n"
           "<library_geometries><geometry id=\"piece\"><mesh>\n"
           "<source id=\"p\"><float_array id=\"pa\" count=\"9\">"
        << -s << ' ' << h << ' ' << -s << ' ' << 3 * s << ' ' << h << ' ' << -s << ' ' << -s << ' '
        << h << ' ' << 3 * s
        << "</float_array><technique_common><accessor source=\"#pa\" count=\"3\" stride=\"3\">"
           "<param name=\"X\" type=\"float\"/><param name=\"Y\" type=\"float\"/>"
           "<param name=\"Z\" type=\"float\"/></accessor></technique_common></source>\n"
           "<source id=\"n\"><float_array id=\"na\" count=\"9\">0 1 0 0 1 0 0 1 0"
           "</float_array><technique_common><accessor source=\"#na\" count=\"3\" stride=\"3\">"
           "<param name=\"X\" type=\"float\"/><param name=\"Y\" type=\"float\"/>"
           "<param name=\"Z\" type=\"float\"/></accessor></technique_common></source>\n"
           "<source id=\"t\"><float_array id=\"ta\" count=\"6\">0 0 1 0 0 1"
           "</float_array><technique_common><accessor source=\"#ta\" count=\"3\" stride=\"2\">"
           "<param name=\"S\" type=\"float\"/><param name=\"T\" type=\"float\"/>"
           "</accessor></technique_common></source>\n"
           "<vertices id=\"v\"><input semantic=\"POSITION\" source=\"#p\"/></vertices>\n"
           "<triangles count=\"1\"><input semantic=\"VERTEX\" source=\"#v\" offset=\"0\"/>"
           "<input semantic=\"NORMAL\" source=\"#n\" offset=\"0\"/>"
           "<input semantic=\"TEXCOORD\" source=\"#t\" offset=\"0\" set=\"0\"/>"
           "<p>0 1 2</p></triangles>\n"
           "</mesh></geometry></library_geometries>\n"
           "<library_visual_scenes><visual_scene id=\"Scene\">\n";
    for (size_t i = 0; i < placements.size(); ++i) {
        out << "<node id=\"piece" << i << "\" name=\"piece" << i << "\"><matrix>";
        for (int row = 0; row < 4; ++row) {
            for (int column = 0; column < 4; ++column) {
                out << placements[i][column][row] << ' ';
            }
        }
        out << "</matrix>";
        if (i > 0 || firstHasMesh) {
            out << "<instance_geometry url=\"#piece\"/>";
        }
        out << "</node>\n";
    }
    out << "</visual_scene></library_visual_scenes>\n"
           "<scene><instance_visual_scene url=\"#Scene\"/></scene>\n</COLLADA>\n";
    return out.str();
}
