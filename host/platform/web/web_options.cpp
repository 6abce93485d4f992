#include "host/platform/web/web_options.h"

#include <sstream>

#include "host/virtual_date.h"

namespace corvane {

bool readWebOptions(const std::vector<std::string>& args, WebOptions& o, std::string& error) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& name = args[i];
        if (name == "--virtual") {
            o.virtualTime = true;
            continue;
        }
        if (i + 1 >= args.size()) {
            error = name + " needs a value";
            return false;
        }
        const std::string& value = args[++i];
        if (name == "--image") {
            o.image = value;
        } else if (name == "--ips") {
            const std::optional<uint64_t> n = parseCount(value);
            if (!n || *n == 0) {
                error = "--ips needs a whole number of at least 1: " + value;
                return false;
            }
            o.instructionsPerSecond = *n;
        } else if (name == "--date") {
            const std::optional<LocalTime> date = parseDateTime(value);
            if (!date) {
                error = "--date needs YYYY-MM-DDTHH:MM:SS: " + value;
                return false;
            }
            o.date = *date;
        } else if (name == "--keys") {
            if (!o.script.addKeys(value, error)) return false;
        } else if (name == "--lcd") {
            std::istringstream frames(value);
            std::string frame;
            while (std::getline(frames, frame, ',')) {
                const std::optional<uint64_t> n = parseCount(frame);
                if (!n || *n == 0) {
                    error = "--lcd needs frame numbers from 1: " + value;
                    return false;
                }
                o.lcdFrames.insert(*n);
            }
        } else {
            error = "unknown option " + name;
            return false;
        }
    }
    return true;
}

}  // namespace corvane
