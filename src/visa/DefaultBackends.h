#pragma once

namespace voltora::visa {

class ResourceManager;

// Registers the real links every Voltora program has, in the order they are
// asked. Back-ends of other kinds (an in-process instrument) are added by
// the program in front of these.
void AddDefaultBackends(ResourceManager& manager);

}  // namespace voltora::visa
