#include "physics/Drugs.h"

#include <algorithm>

void DrugSet::rebuildTransforms() {
    transforms.clear();
    for (const Drug* drug : drugs) {
        transforms.push_back(drug->transform);
    }
}

Drug* DrugSet::findInside() const {
    const auto found =
        std::find_if(drugs.begin(), drugs.end(), [](const Drug* drug) { return drug->inside; });
    return found == drugs.end() ? nullptr : *found;
}

void DrugSet::removeCollected() {
    const auto found =
        std::find_if(drugs.begin(), drugs.end(), [](const Drug* drug) { return drug->collected; });
    if (found == drugs.end()) {
        return;
    }
    drugs.erase(found);
    rebuildTransforms();
}
