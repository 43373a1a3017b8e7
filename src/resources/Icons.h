#pragma once

#include <QIcon>
#include <QString>
#include <QStringList>
#include <QStringView>

// Icons and animation frames of the program, looked up by the keys of IconNames.h. Each call
// builds a new QIcon; a window that paints many rows keeps the icons it needs.
namespace resources {

enum class ImageList { Tree, Toolbar, Sort };

// Resource path of the image with this key (compared without regard to case); "" when unknown.
QString ImagePath(ImageList list, QStringView key);

// The image with this key as an icon that renders sharp at any size; a null icon when unknown.
QIcon Icon(ImageList list, QStringView key);

// A folder tree image with the image its node shows while selected (the same one when
// selectedImage is empty or unknown).
QIcon TreeIcon(QStringView image, QStringView selectedImage = {});

// The list icon for an icon-choice number 0 … ListIconCount − 1; "" / a null icon outside.
QString ListIconPath(int index);
QIcon ListIcon(int index);

QIcon ProgramIcon();

// Frame files of a named animation in playing order; empty for an unknown name.
QStringList AnimationFrames(QStringView name);

// The animation standing for an animation resource number (101, 103, 104); "" for others.
QString AnimationForResource(int resource);

} // namespace resources
