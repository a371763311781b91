// Any parameter, state and wait time: exactly the listed options are jobs, and
// every message is built without fault.
#include "app/Options.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {
const wchar_t* const Options[] = {L"/?", L"/S", L"/C", L"/c", L"/A", L"/a", L"/I", L"/i", L"/e"};
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 5) return 0;
    int minutes;
    std::memcpy(&minutes, data, sizeof minutes);
    const bool active = data[4] & 1;
    std::wstring param;
    for (size_t i = 5; i + 1 < size; i += 2) param += static_cast<wchar_t>(data[i] | data[i + 1] << 8);

    const OptionJob job = DecideOption(param, active, minutes);
    bool listed = false;
    for (const wchar_t* o : Options) listed |= param == o;
    if (job.optionError == listed) std::abort();
    if (job.optionError && (job.icon != MessageIcon::Error || !job.message.empty() || job.setActive)) std::abort();
    if (job.execute && param != L"/e") std::abort();
    if (!job.message.empty() && job.icon != MessageIcon::Information) std::abort();
    // The job never writes the state it already has, except for "/e".
    if (job.setActive && *job.setActive == active && param != L"/e") std::abort();
    const std::string all = StatusMessage(active, minutes) + ChangeMessage(active, minutes) +
        SwitchedOnMessage(minutes) + AlreadyOnMessage(minutes) + SwitchedOffMessage(minutes) +
        AlreadyOffMessage(minutes) + ParameterErrorMessage() + OptionErrorTail();
    if (all.find(std::to_string(minutes)) == std::string::npos) std::abort();
    return 0;
}
