#include "Fixtures.h"

#include <sstream>

#include <GL/glew.h>

DaeGeometry triangleGeometry(const std::string& id, const glm::vec3& lo, const glm::vec3& hi) {
    DaeGeometry geometry;
    geometry.id = id;
    geometry.vertices = {{lo, {0, 0, 1}, {0, 0}},
                         {glm::vec3(hi.x, lo.y, hi.z), {0, 0, 1}, {1, 0}},
                         {glm::vec3(lo.x, hi.y, hi.z), {0, 0, 1}, {0, 1}}};
    geometry.indices = {0, 1, 2};
    return geometry;
}

std::string daeNode(const std::string& name, const glm::mat4& matrix, const std::string& geometryId,
                    const std::string& childrenXml) {
    std::ostringstream out;
    out << "<node id=\"" << name << "\" name=\"" << name << "\" type=\"NODE\"><matrix sid=\"m\">";
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 4; ++column) {
            out << matrix[column][row] << ' ';
        }
    }
    out << "</matrix>";
    if (!geometryId.empty()) {
        out << "<instance_geometry url=\"#" << geometryId << "\"/>";
    }
    out << childrenXml << "</node>\n";
    return out.str();
}

namespace {

void writeSource(std::ostringstream& out, const std::string& id, const std::vector<float>& values,
                 int stride, const char* params) {
    out << "<source id=\"" << id << "\"><float_array id=\"" << id << "-array\" count=\""
        << values.size() << "\">";
    for (float value : values) {
        out << value << ' ';
    }
    out << "</float_array><technique_common><accessor source=\"#" << id << "-array\" count=\""
        << values.size() / stride << "\" stride=\"" << stride << "\">";
    for (const char* p = params; *p != 0; ++p) {
        out << "<param name=\"" << *p << "\" type=\"float\"/>";
    }
    out << "</accessor></technique_common></source>\n";
}

} // namespace

std::string colladaFile(const std::vector<DaeGeometry>& geometries, const std::string& nodesXml,
                        bool zUp) {
    std::ostringstream out;
    out << "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
           "<COLLADA xmlns=\"http://www.collada.org/2005/11/COLLADASchema\" version=\"1.4.1\">\n"
           "<asset><unit name=\"meter\" meter=\"1\"/><up_axis>"
        << (zUp ? "Z_UP" : "Y_UP") << "</up_axis></asset>\n<library_geometries>\n";
    for (const DaeGeometry& g : geometries) {
        std::vector<float> positions;
        std::vector<float> normals;
        std::vector<float> uvs;
        for (const FixtureVertex& v : g.vertices) {
            positions.insert(positions.end(), {v.position.x, v.position.y, v.position.z});
            normals.insert(normals.end(), {v.normal.x, v.normal.y, v.normal.z});
            uvs.insert(uvs.end(), {v.uv.x, v.uv.y});
        }
        out << "<geometry id=\"" << g.id << "\" name=\"" << g.id << "\"><mesh>\n";
        writeSource(out, g.id + "-positions", positions, 3, "XYZ");
        writeSource(out, g.id + "-normals", normals, 3, "XYZ");
        writeSource(out, g.id + "-uvs", uvs, 2, "ST");
        const size_t corners = g.primitive == "lines" ? 2 : 3;
        out << "<vertices id=\"" << g.id << "-vertices\"><input semantic=\"POSITION\" source=\"#"
            << g.id << "-positions\"/></vertices>\n<" << g.primitive << " count=\""
            << g.indices.size() / corners << "\"><input semantic=\"VERTEX\" source=\"#" << g.id
            << "-vertices\" offset=\"0\"/><input semantic=\"NORMAL\" source=\"#" << g.id
            << "-normals\" offset=\"0\"/><input semantic=\"TEXCOORD\" source=\"#" << g.id
            << "-uvs\" offset=\"0\" set=\"0\"/><p>";
        for (uint32_t index : g.indices) {
            out << index << ' ';
        }
        out << "</p></" << g.primitive << ">\n</mesh></geometry>\n";
    }
    out << "</library_geometries>\n<library_visual_scenes><visual_scene id=\"Scene\" "
           "name=\"Scene\">\n"
        << nodesXml
        << "</visual_scene></library_visual_scenes>\n"
           "<scene><instance_visual_scene url=\"#Scene\"/></scene>\n</COLLADA>\n";
    return out.str();
}

template <typename T> std::vector<T> readBuffer(uint32_t buffer, size_t count) {
    std::vector<T> values(count);
    glBindBuffer(GL_COPY_READ_BUFFER, buffer);
    glGetBufferSubData(GL_COPY_READ_BUFFER, 0, static_cast<GLsizeiptr>(count * sizeof(T)),
                       values.data());
    glBindBuffer(GL_COPY_READ_BUFFER, 0);
    return values;
}

template std::vector<float> readBuffer<float>(uint32_t, size_t);
template std::vector<uint32_t> readBuffer<uint32_t>(uint32_t, size_t);
