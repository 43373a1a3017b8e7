#include "resources/Icons.h"

#include "resources/IconNames.h"

#include <span>

namespace resources {

namespace {

std::span<const KeyedImage> Table(ImageList list)
{
    switch (list) {
    case ImageList::Tree:
        return TreeImages;
    case ImageList::Toolbar:
        return ToolbarImages;
    case ImageList::Sort:
        return SortImages;
    }
    return {};
}

const AnimationInfo* FindAnimation(QStringView name)
{
    for (const AnimationInfo& info : Animations) {
        if (info.name.compare(name, Qt::CaseInsensitive) == 0)
            return &info;
    }
    return nullptr;
}

QIcon IconAt(const QString& path)
{
    return path.isEmpty() ? QIcon() : QIcon(path);
}

} // namespace

QString ImagePath(ImageList list, QStringView key)
{
    for (const KeyedImage& image : Table(list)) {
        if (image.key.compare(key, Qt::CaseInsensitive) == 0)
            return image.path.toString();
    }
    return {};
}

QIcon Icon(ImageList list, QStringView key)
{
    return IconAt(ImagePath(list, key));
}

QString ListIconPath(int index)
{
    if (index < 0 || index >= ListIconCount)
        return {};
    return ListIcons[static_cast<std::size_t>(index)].toString();
}

QIcon ListIcon(int index)
{
    return IconAt(ListIconPath(index));
}

QIcon TreeIcon(QStringView image, QStringView selectedImage)
{
    QIcon icon = Icon(ImageList::Tree, image);
    const QString selected = ImagePath(ImageList::Tree, selectedImage);
    if (!selected.isEmpty())
        icon.addFile(selected, {}, QIcon::Selected);
    return icon;
}

QIcon ProgramIcon()
{
    return QIcon(ProgramIconPath.toString());
}

QStringList AnimationFrames(QStringView name)
{
    QStringList frames;
    if (const AnimationInfo* info = FindAnimation(name)) {
        for (int i = 0; i < info->frames; ++i)
            frames.append(AnimationFramePath(info->name, i));
    }
    return frames;
}

QString AnimationForResource(int resource)
{
    for (const AnimationInfo& info : Animations) {
        if (resource != 0 && info.resource == resource)
            return info.name.toString();
    }
    return {};
}

} // namespace resources
