// The name a chosen export file is saved under: a name typed without a
// suffix ("track") gets the format's ("track.csv"), as the file filter the
// dialog showed promised; a name with any suffix is kept as typed.
#pragma once

#include <QFileInfo>
#include <QString>

inline QString WithSuffix(const QString& file, const QString& suffix) {
    if (file.isEmpty() || !QFileInfo(file).suffix().isEmpty()) return file;
    return file + "." + suffix;
}
