#pragma once

#include <QImage>
#include <QString>

// Writes a Windows icon file holding one picture in 256 colours with a
// one-bit transparency mask (a fully transparent pixel is masked out).
bool writeIndexedIcon(const QImage &picture, const QString &path);
