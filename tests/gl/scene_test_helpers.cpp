// Drawing helpers shared by the scene tests.
#include "tests/gl/scene_test_helpers.h"

#include <GL/freeglut.h>
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "shell/clock.h"
#include "shell/game.h"
#include "shell/shell.h"

bool saveSnapshot(const char* name)
{
    const char* dir = std::getenv("ZANDREL_SNAPSHOT_DIR");
    if (dir == nullptr)
        return true;
    std::vector<unsigned char> pixels(800 * 600 * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, 800, 600, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    std::string path = std::string(dir) + "/" + name + ".ppm";
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return false;
    bool written = std::fprintf(file, "P6\n800 600\n255\n") > 0;
    for (int row = 599; row >= 0; row--)
        written = std::fwrite(&pixels[row * 800 * 3], 1, 800 * 3, file) == 800 * 3 && written;
    return std::fclose(file) == 0 && written;
}

unsigned int solidTexture(unsigned char r, unsigned char g, unsigned char b)
{
    unsigned char pixels[12];
    for (int i = 0; i < 4; i++) {
        pixels[i * 3] = r;
        pixels[i * 3 + 1] = g;
        pixels[i * 3 + 2] = b;
    }
    unsigned int name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    GLint alignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 2, 2, 0, GL_RGB, GL_UNSIGNED_BYTE, pixels);
    glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    return name;
}

void boutProjection()
{
    glViewport(0, 0, 800, 600);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(60.0, 800.0 / 600.0, 1.5, 300.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void litScene()
{
    const GLfloat ambient[] = {0.8f, 0.8f, 0.8f, 1.0f};
    const GLfloat position[] = {0.0f, 12.0f, 10.0f, 1.0f};
    glLoadIdentity();
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
    glLightfv(GL_LIGHT0, GL_POSITION, position);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
}

Rgb pixelAt(int x, int yFromTop)
{
    unsigned char p[3];
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, 599 - yFromTop, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, p);
    return {p[0], p[1], p[2]};
}

bool resizeWindow(int width, int height)
{
    // Events may ask for a redisplay: the tests draw by themselves.
    glutDisplayFunc([] {});
    glutReshapeWindow(width, height);
    for (int i = 0; i < 20 && (glutGet(GLUT_WINDOW_WIDTH) != width || glutGet(GLUT_WINDOW_HEIGHT) != height); ++i)
        glutMainLoopEvent();
    return glutGet(GLUT_WINDOW_WIDTH) == width && glutGet(GLUT_WINDOW_HEIGHT) == height;
}

glm::dmat4 currentModelview()
{
    glm::dmat4 m;
    glGetDoublev(GL_MODELVIEW_MATRIX, glm::value_ptr(m));
    return m;
}

glm::mat4 glCamera()
{
    glm::mat4 m;
    glGetFloatv(GL_MODELVIEW_MATRIX, glm::value_ptr(m));
    return m;
}

glm::dmat4 rotated(const glm::dmat4& m, double degrees, const glm::dvec3& axis)
{
    return glm::rotate(m, glm::radians(degrees), axis);
}

std::vector<FeedbackVertex> feedbackVertices(void (*draw)(), int* otherTokens)
{
    std::vector<GLfloat> buffer(20000);
    glFeedbackBuffer(GLsizei(buffer.size()), GL_3D_COLOR_TEXTURE, buffer.data());
    glRenderMode(GL_FEEDBACK);
    draw();
    int count = glRenderMode(GL_RENDER);
    if (count < 0)
        ADD_FAILURE() << "the feedback buffer overflowed";

    // x, y, z, four colour components, four texture components.
    constexpr int VERTEX_SIZE = 11;
    std::vector<FeedbackVertex> vertices;
    int others = 0;
    for (int i = 0; i < count;) {
        int token = int(buffer[i++]);
        if (token == GL_POLYGON_TOKEN) {
            int n = int(buffer[i++]);
            for (int v = 0; v < n; v++, i += VERTEX_SIZE)
                vertices.push_back({buffer[i], buffer[i + 1], buffer[i + 7], buffer[i + 8]});
            continue;
        }
        ++others;
        if (token == GL_PASS_THROUGH_TOKEN) {
            i++;
        } else if (token == GL_POINT_TOKEN || token == GL_BITMAP_TOKEN || token == GL_DRAW_PIXEL_TOKEN ||
            token == GL_COPY_PIXEL_TOKEN) {
            i += VERTEX_SIZE;
        } else if (token == GL_LINE_TOKEN || token == GL_LINE_RESET_TOKEN) {
            i += 2 * VERTEX_SIZE;
        } else {
            ADD_FAILURE() << "unexpected feedback token " << token;
            break;
        }
    }
    if (otherTokens != nullptr)
        *otherTokens = others;
    return vertices;
}

long LiveMatchScope::calendar = 0;

LiveMatchScope::LiveMatchScope(long startSecond)
{
    calendar = startSecond;
    shell().calendar = [] { return calendar; };
    std::fill(std::begin(shell().keys.keyState), std::end(shell().keys.keyState), 0);
    // A machine with sounds would hold the end of a bout for as long as they play.
    savedSounds = std::exchange(soundTable, SoundTable{});
    liveMatch() = Match{};
}

LiveMatchScope::~LiveMatchScope()
{
    std::fill(std::begin(shell().keys.keyState), std::end(shell().keys.keyState), 0);
    soundTable = savedSounds;
    shell().calendar = systemCalendarSeconds;
    liveMatch() = Match{};
}
