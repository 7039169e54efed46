// The LumarokUb logo: a receiver dish under three orbiting satellites' arcs,
// drawn at any size (the same design as docs/logo.svg).
#pragma once

#include <QPixmap>
#include <QSize>

QPixmap DrawAboutLogo(QSize size, bool withName);
