#include "scan/message_charsets.h"

namespace tarnik {

MessageCharsets::MessageCharsets(std::string_view output, std::string_view fallback,
                                 Diagnostics& diagnostics)
    : cache_(output, fallback, diagnostics),
      measure_(MeasureOf(output)),
      lookAlikes_(LookAlikesIn(output)) {}

}  // namespace tarnik
