#pragma once

#include "core/TextId.h"

#include <QString>
#include <cstdint>

// The numbered user-interface texts and their translation through Strings.ini in the program folder.
namespace mdlStrings {

// The translation of key "K<id>", else the built-in text. Only a text's name is taken, so a bare
// number cannot stand for a text by mistake.
QString Translate(txt::Id id);

// A text of the software catalogue, computed from its row: id 1000 + 10 * row is the row's name,
// 1000 + 10 * row + 1 its description.
QString CatalogueText(int32_t id);

// A text that reads as a whole number is taken as that number; any other text is looked up under
// the MD5 of its UTF-16LE bytes and comes back unchanged when it has no translation.
QString Translate(const QString &text);

// The built-in text of an id; for ids above 1000 the catalogue name (even id) or description (odd
// id) of row (id - 1000) / 10; otherwise empty.
QString DefaultText(int32_t id);

// The translation file's path: the user's own, else the one installed with the program.
QString StringsIniPath();

}  // namespace mdlStrings
