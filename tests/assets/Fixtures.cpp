#include "Fixtures.h"

#include <sstream>

#include <GL/glew.h>

namespace {

void source(std::ostringstream& out, const std::string& id, const std::string& values, int count,
            const std::string& params) {
    out << "<source id=\"" << id << "\"><float_array id=\"" << id << "-a\" count=\""
        << count * params.size() << "\">" << values
        << "</float_array><technique_common><accessor source=\"#" << id << "-a\" count=\"" << count
        << "\" stride=\"" << params.size() << "\">";
    for (char param : params) {
        out << "<param name=\"" << param << "\" type=\"float\"/>";
    }
    out << "</accessor></technique_common></source>";
}

template <typename T> std::vector<T> readBuffer(uint32_t buffer, size_t count) {
    std::vector<T> values(count);
    glBindBuffer(GL_COPY_READ_BUFFER, buffer);
    glGetBufferSubData(GL_COPY_READ_BUFFER, 0, static_cast<GLsizeiptr>(count * sizeof(T)),
                       values.data());
    glBindBuffer(GL_COPY_READ_BUFFER, 0);
    return values;
}

} // namespace

std::string daeGeometry(const std::string& id, const glm::vec3& lo, const glm::vec3& hi,
                        const std::string& primitive) {
    std::ostringstream corners;
    corners << lo.x << ' ' << lo.y << ' ' << lo.z << ' ' << hi.x << ' ' << lo.y << ' ' << hi.z
            << ' ' << lo.x << ' ' << hi.y << ' ' << hi.z;
    std::ostringstream out;
    out << "<geometry id=\"" << id << "\"><mesh>";
    source(out, id + "-p", corners.str(), 3, "XYZ");
    source(out, id + "-n", "0 0 1 0 0 1 0 0 1", 3, "XYZ");
    source(out, id + "-t", "0 0 1 0 0 1", 3, "ST");
    const bool lines = primitive == "lines";
    out << "<vertices id=\"" << id << "-v\"><input semantic=\"POSITION\" source=\"#" << id
        << "-p\"/></vertices><" << primitive << " count=\"" << (lines ? 2 : 1)
        << "\"><input semantic=\"VERTEX\" source=\"#" << id
        << "-v\" offset=\"0\"/><input semantic=\"NORMAL\" source=\"#" << id
        << "-n\" offset=\"0\"/><input semantic=\"TEXCOORD\" source=\"#" << id
        << "-t\" offset=\"0\" set=\"0\"/><p>" << (lines ? "1 0 1 2" : "0 1 2") << "</p></"
        << primitive << "></mesh></geometry>\n";
    return out.str();
}

std::string daeNode(const std::string& name, const glm::mat4& matrix, const std::string& geometryId,
                    const std::string& children) {
    std::ostringstream out;
    out << "<node id=\"" << name << "\" name=\"" << name << "\"><matrix>";
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 4; ++column) {
            out << matrix[column][row] << ' ';
        }
    }
    out << "</matrix>";
    if (!geometryId.empty()) {
        out << "<instance_geometry url=\"#" << geometryId << "\"/>";
    }
    out << children << "</node>\n";
    return out.str();
}

std::string colladaFile(const std::string& geometries, const std::string& nodes, bool zUp) {
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<COLLADA "
           "xmlns=\"http://www.collada.org/2005/11/COLLADASchema\" version=\"1.4.1\">\n"
           "<asset><up_axis>" +
           std::string(zUp ? "Z_UP" : "Y_UP") + "</up_axis></asset>\n<library_geometries>" +
           geometries +
           "</library_geometries>\n<library_visual_scenes><visual_scene id=\"Scene\">\n" + nodes +
           "</visual_scene></library_visual_scenes>\n"
           "<scene><instance_visual_scene url=\"#Scene\"/></scene></COLLADA>\n";
}

std::vector<float> readFloats(uint32_t buffer, size_t count) {
    return readBuffer<float>(buffer, count);
}

std::vector<uint32_t> readIndices(uint32_t buffer, size_t count) {
    return readBuffer<uint32_t>(buffer, count);
}
