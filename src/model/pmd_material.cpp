#include "model/pmd_model.h"

#include <GL/gl.h>

void ApplyModelMaterial(const CPMDMaterial &) {
    glMateriali(GL_FRONT, GL_SHININESS, 100);
}
