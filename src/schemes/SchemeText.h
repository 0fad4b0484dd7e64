// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

#include "schemes/Scheme.h"

namespace kv {

// The line form of a scheme file: nine lines, each ending in CR LF.
//   1 model, 2 fuse bits, 3 ten option digits, 4 FLASH path, 5 EEPROM path,
//   6 calibration slot, 7 calibration target (" 2" form; an empty line when
//   none is selected), 8 FLASH and 9 EEPROM calibration address.
// Older copies of the program leave line 6 (or 7) out when nothing is
// selected; such 8- and 7-line files are read by their line count, never by
// shifting the lines that follow.

// Throws OperationError when the set-up cannot be written in a form that loads
// again (an address box holding something other than a decimal number, a path
// with a line break).
QString schemeToText(const Scheme& scheme);

// Checks every line before returning; throws OperationError naming the first
// bad line, so a broken file is refused as a whole. The model name may differ
// from the table's in case and surrounding blanks and comes back in the
// table's spelling; a name the table does not know is a bad line. Lines after
// the ninth and option characters after the tenth are ignored. The two address lines are
// taken as they stand (an address box may hold any text; the calibration write
// checks it).
Scheme schemeFromText(const QString& text);

// The warning text of a refused scheme file: the common heading, then detail.
QString schemeRefusal(const QString& detail);

}  // namespace kv
