#pragma once

#include <glm/mat4x4.hpp>

#include <vector>

// A modelview matrix stack on the CPU, with the same formulas as GL's
// glTranslatef, glRotatef and glScalef and GLU's gluLookAt, so that a pose
// walked here lands on the points GL would compute for the same pose.
class PoseStack {
public:
    explicit PoseStack(const glm::mat4& start = glm::mat4(1.0f)) : stack{start} {}

    void push() { stack.push_back(stack.back()); }
    void pop() { stack.pop_back(); }
    void translate(float x, float y, float z);
    void rotate(float degrees, float x, float y, float z);
    void scale(float x, float y, float z);
    const glm::mat4& top() const { return stack.back(); }

private:
    std::vector<glm::mat4> stack;
};

// The view matrix gluLookAt makes.
glm::mat4 lookAt(double eyeX, double eyeY, double eyeZ, double centreX, double centreY, double centreZ, double upX,
    double upY, double upZ);
