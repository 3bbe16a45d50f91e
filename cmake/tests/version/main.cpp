#include <cstring>

#include "nuv/version.h"

static_assert(NUV_VERSION_MAJOR == FOUND_MAJOR && NUV_VERSION_MINOR == FOUND_MINOR &&
              NUV_VERSION_PATCH == FOUND_PATCH);
static_assert(NUV_VERSION_NUMBER == FOUND_MAJOR * 10000 + FOUND_MINOR * 100 + FOUND_PATCH);

int main() { return std::strcmp(NUV_VERSION, FOUND) == 0 ? 0 : 1; }
