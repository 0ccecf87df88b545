#pragma once

#include <GLES3/gl3.h>

#include <memory>
#include <vector>

#include "geometry/metaball_field.hpp"
#include "geometry/vector3.hpp"
#include "scene/recorded_shells.hpp"
#include "scene/shell_geometry.hpp"

namespace vorlune::web {

// The scene drawn through WebGL 2: the same lattice, shells and texture as the
// native renderer, and two small shader pairs standing in for what its
// fixed-function pipeline computes (the textured background at half strength;
// the shells' lighting and sphere-map coordinates per vertex, added onto it).
// Needs a WebGL 2 context current; throws std::runtime_error when a shader
// does not build.
class WebGlScene {
  public:
    WebGlScene();
    WebGlScene(const WebGlScene&) = delete;
    WebGlScene& operator=(const WebGlScene&) = delete;
    ~WebGlScene();

    // The viewport and the perspective for a drawing buffer of this size.
    void resize(int width, int height);
    // The whole picture at scene time t.
    void draw(float t);

  private:
    void uploadTexture();
    void drawBackground(float zoom);
    void drawShells(float t);

    std::unique_ptr<MetaballField> field_;
    std::unique_ptr<ShellGeometry> shells_;
    RecordedShells shellsAt_;
    GLuint texture_ = 0;
    GLuint backgroundProgram_ = 0;
    GLuint shellProgram_ = 0;
    GLuint backgroundArray_ = 0;
    GLuint shellArray_ = 0;
    GLuint cornerBuffer_ = 0;
    GLuint shellBuffer_ = 0;
    GLsizeiptr shellBufferBytes_ = 0;
    GLint insetLocation_ = -1;
    GLint projectionLocation_ = -1;
    float projection_[16] = {};
};

}  // namespace vorlune::web
