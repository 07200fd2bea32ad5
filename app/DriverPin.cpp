#include "app/DriverPin.h"

#ifdef MORBANE_SANITIZE
#include <cstring>
#include <dlfcn.h>
#include <link.h>

namespace {

int pinIfDriver(dl_phdr_info* info, size_t, void*) {
    const char* name = info->dlpi_name;
    if (name != nullptr &&
        (std::strstr(name, "_dri.so") != nullptr || std::strstr(name, "libGLX_mesa") != nullptr ||
         std::strstr(name, "libgallium") != nullptr)) {
        // RTLD_NOLOAD only takes another reference; RTLD_NODELETE makes dlclose keep it mapped.
        dlopen(name, RTLD_LAZY | RTLD_NOLOAD | RTLD_NODELETE);
    }
    return 0;
}

} // namespace

void pinGraphicsDriver() {
    dl_iterate_phdr(pinIfDriver, nullptr);
}
#else
void pinGraphicsDriver() {}
#endif
