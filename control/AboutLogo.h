// The LumarokUb logo: a receiver dish under three orbiting satellites' arcs,
// drawn at any size (the same design as docs/logo.svg).
#pragma once

#include <QPixmap>
#include <QSize>

// 'ratio' device pixels per pixel: 2 for a sharp logo on a high-density screen.
QPixmap DrawAboutLogo(QSize size, bool withName, qreal ratio = 1);
