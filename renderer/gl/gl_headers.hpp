#pragma once

// OpenGL 1.1 and GLU: the same headers on every platform (mingw-w64's need no windows.h).
#include <GL/gl.h>
#include <GL/glu.h>
