#include "tools/common/output_file.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <system_error>

#include "library/path.h"

namespace corvane {
namespace fs = std::filesystem;

namespace {

bool writeStream(const fs::path& file, std::string_view bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
    out.close();
    return bool(out);
}

}  // namespace

bool writeOutputFile(const std::string& path, std::string_view bytes) {
    const fs::path given = hostFsPath(path);
    std::error_code ec;
    const fs::file_status status = fs::status(given, ec);
    const bool exists = fs::exists(status);
    if (exists && !fs::is_regular_file(status)) return writeStream(given, bytes);

    fs::path target = given;
    if (exists) {
        const fs::path real = fs::canonical(given, ec);
        if (!ec) target = real;
    }
    std::random_device rd;
    fs::path temp = target;
    temp += ".tmp" + std::to_string(rd());
    if (!writeStream(temp, bytes)) {
        fs::remove(temp, ec);
        return false;
    }
    // The replaced file keeps the permission bits it had.
    if (exists) fs::permissions(temp, status.permissions(), ec);
    fs::rename(temp, target, ec);
    if (ec) {
        fs::remove(temp, ec);
        return false;
    }
    return true;
}

}  // namespace corvane
