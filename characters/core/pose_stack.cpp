#include "characters/core/pose_stack.h"

#include <cmath>

namespace {

constexpr double PI = 3.14159265358979323846;

void normalize(float v[3])
{
    float r = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (r == 0.0f)
        return;
    v[0] /= r;
    v[1] /= r;
    v[2] /= r;
}

void cross(const float a[3], const float b[3], float out[3])
{
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}

}  // namespace

void PoseStack::translate(float x, float y, float z)
{
    glm::mat4& m = current();
    m[3] = m[0] * x + m[1] * y + m[2] * z + m[3];
}

void PoseStack::scale(float x, float y, float z)
{
    glm::mat4& m = current();
    m[0] *= x;
    m[1] *= y;
    m[2] *= z;
}

// Rotations about one axis are built exactly, the others from the unit axis.
void PoseStack::rotate(float degrees, float x, float y, float z)
{
    const float s = static_cast<float>(std::sin(degrees * PI / 180.0));
    const float c = static_cast<float>(std::cos(degrees * PI / 180.0));
    glm::mat4 r(1.0f);  // r[column][row]
    if (x == 0.0f && y == 0.0f && z != 0.0f) {
        r[0][0] = c;
        r[1][1] = c;
        r[1][0] = z < 0.0f ? s : -s;
        r[0][1] = z < 0.0f ? -s : s;
    } else if (x == 0.0f && z == 0.0f && y != 0.0f) {
        r[0][0] = c;
        r[2][2] = c;
        r[2][0] = y < 0.0f ? -s : s;
        r[0][2] = y < 0.0f ? s : -s;
    } else if (y == 0.0f && z == 0.0f && x != 0.0f) {
        r[1][1] = c;
        r[2][2] = c;
        r[2][1] = x < 0.0f ? s : -s;
        r[1][2] = x < 0.0f ? -s : s;
    } else {
        const float mag = std::sqrt(x * x + y * y + z * z);
        if (mag <= 1.0e-4f)
            return;
        x /= mag;
        y /= mag;
        z /= mag;
        const float xx = x * x, yy = y * y, zz = z * z;
        const float xy = x * y, yz = y * z, zx = z * x;
        const float xs = x * s, ys = y * s, zs = z * s;
        const float oneC = 1.0f - c;
        r[0][0] = oneC * xx + c;
        r[1][0] = oneC * xy - zs;
        r[2][0] = oneC * zx + ys;
        r[0][1] = oneC * xy + zs;
        r[1][1] = oneC * yy + c;
        r[2][1] = oneC * yz - xs;
        r[0][2] = oneC * zx - ys;
        r[1][2] = oneC * yz + xs;
        r[2][2] = oneC * zz + c;
    }
    current() = current() * r;
}

glm::mat4 lookAt(double eyeX, double eyeY, double eyeZ, double centreX, double centreY, double centreZ, double upX,
    double upY, double upZ)
{
    float forward[3] = {float(centreX - eyeX), float(centreY - eyeY), float(centreZ - eyeZ)};
    float up[3] = {float(upX), float(upY), float(upZ)};
    float side[3];
    normalize(forward);
    cross(forward, up, side);
    normalize(side);
    cross(side, forward, up);

    glm::mat4 m(1.0f);
    for (int i = 0; i < 3; ++i) {
        m[i][0] = side[i];
        m[i][1] = up[i];
        m[i][2] = -forward[i];
    }
    PoseStack s(m);
    s.translate(float(-eyeX), float(-eyeY), float(-eyeZ));
    return s.top();
}
