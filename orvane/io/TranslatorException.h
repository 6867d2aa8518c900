#pragma once

#include "orvane/object/Exception.h"

namespace orvane::io {

// What translators raise: malformed data, or memory that cannot (or may not) be had.
// Translators raise both subclasses without text, so the message is the class name.
ORVANE_EXCEPTION(TranslatorException, object::Exception);
ORVANE_EXCEPTION(TranslatorFormatException, TranslatorException);
ORVANE_EXCEPTION(TranslatorMemoryException, TranslatorException);

} // namespace orvane::io
