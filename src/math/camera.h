#pragma once
#include "math/matrix.h"

// Perspective look-at camera. Field of view in degrees, distances in world
// units. Only the view is rebuilt by the setters; the projection is fixed at
// construction from the viewport size.
class CCamera {
  public:
    CCamera(float width, float height);

    void SetPosition(const CVector3 &position); // then Update()
    void SetTarget(const CVector3 &target);     // then Update()
    // Rebuilds the axes and the view matrix from position and target with
    // Vector3UnitY as the reference up. Degenerate input gives zero axes.
    void Update();
    // Loads the view as the model-view matrix, then the projection; GL is left
    // in projection matrix mode.
    void Apply() const;

    CVector3 position;
    CVector3 target;
    CVector3 forward;
    CVector3 up;
    CVector3 right;
    CMatrix4 view;
    CMatrix4 projection;
    float fieldOfView; // degrees
    float nearPlane;
    float farPlane;
    float width;
    float height;
};
