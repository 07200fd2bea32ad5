#include "tools/levelkit/Report.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "assets/NameList.h"

std::string number(float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", static_cast<double>(value));
    std::string result = text;
    while (result.back() == '0') {
        result.pop_back();
    }
    if (result.back() == '.') {
        result.pop_back();
    }
    return result == "-0" ? "0" : result;
}

Box placedBounds(const std::vector<glm::vec3>& points, const std::vector<glm::mat4>& placements) {
    Box box;
    for (const glm::mat4& placement : placements) {
        for (const glm::vec3& p : points) {
            box.add(glm::vec3(placement * glm::vec4(p, 1.0f)));
        }
    }
    return box;
}

std::string boundsText(const Box& box) {
    if (box.empty()) {
        return "nothing";
    }
    const char axes[] = "xyz";
    std::string text;
    for (int axis = 0; axis < 3; ++axis) {
        text += std::string(axis == 0 ? "" : ", ") + axes[axis] + " " + number(box.min[axis]) +
                ".." + number(box.max[axis]);
    }
    return text;
}

std::string sizeText(const Box& box) {
    const glm::vec3 size = box.max - box.min;
    return number(size.x) + " x " + number(size.y) + " x " + number(size.z) +
           " units (x, y, z); its height is " + number(size.y / kEyeHeight) +
           " times the player's eye height of 5";
}

std::string sizeWarning(const Box& box) {
    const glm::vec3 size = box.max - box.min;
    const float across = glm::max(size.x, glm::max(size.y, size.z));
    if (across < kSmallestModel) {
        return "it is only " + number(across) +
               " units across: made in other units? try --scale 100 or --scale 1000";
    }
    if (across > kLargestModel) {
        return "it is " + number(across) +
               " units across, larger than the whole level: try --scale 0.01";
    }
    return {};
}

const char* const kFixedModels[6] = {"waterplane.obj", "test.dae",   "npcHead.dae",
                                     "rotfaces.dae",   "drugs3.dae", "Mixtable.dae"};

bool isFixedModel(const std::string& fileName) {
    for (const char* fixed : kFixedModels) {
        if (fileName == fixed) {
            return true;
        }
    }
    return false;
}

bool addToList(const std::string& listPath, const std::string& name, bool& added) {
    std::vector<std::string> names;
    added = false;
    if (tryReadNameList(listPath, names) &&
        std::find(names.begin(), names.end(), name) != names.end()) {
        return true;
    }
    // A list whose last line lacks its line break would glue the new name onto it.
    std::string before;
    {
        std::ifstream in(listPath, std::ios::binary);
        before.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::ofstream out(listPath, std::ios::binary | std::ios::app);
    out << (before.empty() || before.back() == '\n' ? "" : "\n") << name << "\n";
    added = static_cast<bool>(out);
    return added;
}
