#include "LevelLines.h"

#include "GeneratedKey.h"

std::shared_ptr<LevelLine> LevelLines::Add(float value, int32_t drawColor, int32_t drawStyle, int32_t drawWidth,
                                           const QString &key)
{
    auto line = std::make_shared<LevelLine>();
    line->setValue(value);
    line->setDrawColor(drawColor);
    line->setDrawStyle(drawStyle);
    line->setDrawWidth(drawWidth);
    line->setKey(key.isEmpty() ? GeneratedKey([this](const QString &k) { return items_.contains(k); }) : key);
    items_.add(line, line->Key());
    return line;
}

void LevelLines::Remove(int32_t position)
{
    if (position >= 1 && position <= items_.count())
        items_.remove(position);
}

void LevelLines::Remove(const QString &key)
{
    if (items_.contains(key))
        items_.remove(key);
}
