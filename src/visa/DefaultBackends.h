#pragma once

namespace voltora::visa {

class ResourceManager;

// Registers the back-ends every Voltora program has, in the order they are
// asked: the simulated meter first, then the real links.
void AddDefaultBackends(ResourceManager& manager);

}  // namespace voltora::visa
