#include "math/camera.h"

#include "render/render_device.h"

CCamera::CCamera(float width_, float height_)
    : position(Vector3Zero), target(Vector3Zero), forward(Vector3Zero), up(Vector3Zero),
      right(Vector3Zero), view(MatrixIdentity), projection(MatrixIdentity), fieldOfView(60.0f),
      nearPlane(0.1f), farPlane(2000.0f), width(width_), height(height_) {
    projection.MakePerspective(fieldOfView, width / height, nearPlane, farPlane);
}

void CCamera::SetPosition(const CVector3 &p) {
    position = p;
    Update();
}

void CCamera::SetTarget(const CVector3 &t) {
    target = t;
    Update();
}

void CCamera::Update() {
    const CVector3 back = position.Subtract(target).Normalised();
    right = Vector3UnitY.Cross(back);
    up = back.Cross(right);
    CMatrix4 rotation = MatrixIdentity;
    rotation.SetXAxis(right).SetYAxis(up).SetZAxis(back);
    rotation = rotation.InverseRotation();
    CMatrix4 translation = MatrixIdentity;
    translation.SetTranslation(position.Negate());
    forward = back.Negate();
    view = translation.Multiply(rotation);
}

void CCamera::Apply() const {
    SetMatrix(kMatrixModelView, view);
    SetMatrix(kMatrixProjection, projection);
}
