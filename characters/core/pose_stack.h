#pragma once

#include <glm/mat4x4.hpp>

#include <array>

// A modelview matrix stack on the CPU, with the same formulas as GL's
// glTranslatef, glRotatef and glScalef and GLU's gluLookAt, so that a pose
// walked here lands on the points GL would compute for the same pose. As
// deep as GL's smallest modelview stack, and like it a push too many or a pop
// too many does nothing; it never allocates, as it runs every tick.
class PoseStack {
public:
    static constexpr int DEPTH = 32;

    explicit PoseStack(const glm::mat4& start = glm::mat4(1.0f)) { stack[0] = start; }

    void push()
    {
        if (depth + 1 < DEPTH) {
            stack[depth + 1] = stack[depth];
            ++depth;
        }
    }
    void pop()
    {
        if (depth > 0)
            --depth;
    }
    void translate(float x, float y, float z);
    void rotate(float degrees, float x, float y, float z);
    void scale(float x, float y, float z);
    const glm::mat4& top() const { return stack[depth]; }

private:
    glm::mat4& current() { return stack[depth]; }

    std::array<glm::mat4, DEPTH> stack;
    int depth = 0;
};

// The view matrix gluLookAt makes.
glm::mat4 lookAt(double eyeX, double eyeY, double eyeZ, double centreX, double centreY, double centreZ, double upX,
    double upY, double upZ);
