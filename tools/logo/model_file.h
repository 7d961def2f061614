#pragma once
#include "logo_mesh.h"

#include <cstdint>
#include <vector>

// Lays the logo out in the model file format: one mesh whose triangle list
// appears once ungrouped and once in the group of material 0, and one
// material record.
std::vector<uint8_t> EncodeLogoModel(const LogoMesh &mesh);
