#include "cli/numbers.h"

#include "teletraffic/number_text.h"

#include <stdexcept>
#include <string>

namespace cli {

double ParseNumber(std::string_view text, std::string_view name) {
    const number_text::Reading reading = number_text::Read(text);
    if (reading.ok()) {
        return reading.value;
    }
    std::string message(name);
    if (reading.problem != number_text::Problem::Empty) {
        message.append(" \"").append(text).append("\"");
    }
    message.append(" ").append(number_text::Why(reading.problem));
    throw std::invalid_argument(message);
}

} // namespace cli
