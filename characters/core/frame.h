#pragma once

// One pose: 24 joint values in a fixed order. Angles are degrees, bodyHeight
// is world units. The Framelist treats a Frame as 24 floats by position.
struct Frame {
    float bodyAngleTiltForward;
    float bodyAngleTiltSide;
    float bodyAngleTurn;
    float bodyHeight;
    float headAngleTurn;
    float legRUpperAngleOut;
    float legRUpperAngleRotate;
    float legRLowerAngle;
    float legRAnkle;
    float legLUpperAngleOut;
    float legLUpperAngleRotate;
    float legLLowerAngle;
    float legLAnkle;
    float armRUpperAngleOut;
    float armRUpperAngleForward;
    float armRUpperAngleRotate;
    float armRForeAngle;
    float armLUpperAngleOut;
    float armLUpperAngleForward;
    float armLUpperAngleRotate;
    float armLForeAngle;
    // Darth holds a lightsaber, Jack a knife: one layout, two names.
    union {
        float lightsaberAngleTurn;
        float knifeAngleTurn;
    };
    union {
        float lightsaberAngleForward;
        float knifeAngleForward;
    };
    union {
        float lightsaberAngleRotate;
        float knifeAngleRotate;
    };

    static constexpr int FIELDS = 24;

    float* values() { return &bodyAngleTiltForward; }
    const float* values() const { return &bodyAngleTiltForward; }
    float& operator[](int i) { return values()[i]; }
    float operator[](int i) const { return values()[i]; }
};

static_assert(sizeof(Frame) == Frame::FIELDS * sizeof(float), "Frame must be 24 packed floats");
