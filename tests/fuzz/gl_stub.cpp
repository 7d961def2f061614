// Silent GL for the fuzz executables and their replays: the GL entry points the
// product code calls, as no-ops, so the targets run fast with no display and no
// context. Linked as objects into each executable, these definitions take the
// place of the system library's. Texture names count up from 1.
#include <GL/gl.h>
#include <GL/glu.h>

namespace {
GLuint s_nextTextureName = 1;
} // namespace

extern "C" {

void glAlphaFunc(GLenum, GLclampf) {}
void glBegin(GLenum) {}
void glBindTexture(GLenum, GLuint) {}
void glBlendFunc(GLenum, GLenum) {}
void glClear(GLbitfield) {}
void glClearColor(GLclampf, GLclampf, GLclampf, GLclampf) {}
void glClearDepth(GLclampd) {}
void glColor4f(GLfloat, GLfloat, GLfloat, GLfloat) {}
void glColor4ub(GLubyte, GLubyte, GLubyte, GLubyte) {}
void glCullFace(GLenum) {}
void glDeleteTextures(GLsizei, const GLuint *) {}
void glDepthFunc(GLenum) {}
void glDepthMask(GLboolean) {}
void glDepthRange(GLclampd, GLclampd) {}
void glDisable(GLenum) {}
void glEnable(GLenum) {}
void glEnd() {}
void glFinish() {}
void glFlush() {}
void glFrontFace(GLenum) {}
void glGenTextures(GLsizei n, GLuint *textures) {
    for (GLsizei i = 0; i < n; ++i)
        textures[i] = s_nextTextureName++;
}
GLenum glGetError() {
    return GL_NO_ERROR;
}
void glHint(GLenum, GLenum) {}
void glLightModelfv(GLenum, const GLfloat *) {}
void glLightfv(GLenum, GLenum, const GLfloat *) {}
void glLoadIdentity() {}
void glLoadMatrixf(const GLfloat *) {}
void glMaterialf(GLenum, GLenum, GLfloat) {}
void glMaterialfv(GLenum, GLenum, const GLfloat *) {}
void glMateriali(GLenum, GLenum, GLint) {}
void glMatrixMode(GLenum) {}
void glNormal3f(GLfloat, GLfloat, GLfloat) {}
void glOrtho(GLdouble, GLdouble, GLdouble, GLdouble, GLdouble, GLdouble) {}
void glPixelStorei(GLenum, GLint) {}
void glPopMatrix() {}
void glPushMatrix() {}
void glScissor(GLint, GLint, GLsizei, GLsizei) {}
void glShadeModel(GLenum) {}
void glTexCoord2f(GLfloat, GLfloat) {}
void glTexEnvi(GLenum, GLenum, GLint) {}
void glTexImage2D(GLenum, GLint, GLint, GLsizei, GLsizei, GLint, GLenum, GLenum, const GLvoid *) {}
void glTexParameterf(GLenum, GLenum, GLfloat) {}
void glTexParameteri(GLenum, GLenum, GLint) {}
void glVertex2f(GLfloat, GLfloat) {}
void glVertex3f(GLfloat, GLfloat, GLfloat) {}
void glViewport(GLint, GLint, GLsizei, GLsizei) {}
void gluPerspective(GLdouble, GLdouble, GLdouble, GLdouble) {}

} // extern "C"
