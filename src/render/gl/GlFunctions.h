#pragma once
// OpenGL entry points beyond 1.1 that are resolved from the current context.

#include <GL/gl.h>

namespace lw::gl {

// Looks a function up by name in the current context (eglGetProcAddress, or the window
// toolkit's resolver).
using GlProcResolver = void* (*)(const char* name);

// Resolves the multitexture entry points. Returns false when one is missing; the caller then
// reports "Error loading GL_ARB_multitexture!". Drawing still works on unit 0 alone.
bool loadMultitexture(GlProcResolver resolve);
bool hasMultitexture();

void activeTexture(GLenum unit);
void clientActiveTexture(GLenum unit);
void multiTexCoord2fv(GLenum unit, const GLfloat* v);

// Resolves the buffer-object entry points (OpenGL 1.5 or ARB_vertex_buffer_object). Returns
// false when one is missing; poxel meshes need them.
bool loadBufferObjects(GlProcResolver resolve);
bool hasBufferObjects();

void genBuffers(GLsizei n, GLuint* buffers);
void deleteBuffers(GLsizei n, const GLuint* buffers);
void bindArrayBuffer(GLuint buffer);
bool isBuffer(GLuint buffer);
// Fills the bound array buffer with `bytes` bytes (static data, drawn many times).
void arrayBufferData(GLsizeiptr bytes, const void* data);
// Replaces `bytes` bytes of the bound array buffer from `offset` on.
void arrayBufferSubData(GLintptr offset, GLsizeiptr bytes, const void* data);

// Switches 2D texturing off on units 0 and 1 (active unit left at 0).
void disableTexturing();

} // namespace lw::gl
