// Compares the stage probe's output on this build with the Linux build's
// (tests/golden/stages.expected), token by token. The stage results are
// hexadecimal doubles: the C library's sin, cos and tan may round a result
// the other way than glibc's in its last bit, so a value may differ by at
// most kMaxUlps units in the last place, and every such value is listed. All
// else must be identical: the points, the error numbers and texts, and each
// output line or message of the run part (the text a user sees).
//
//   stage_compare EXPECTED ACTUAL
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int64_t kMaxUlps = 4;

std::vector<std::string> lines(const char* path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<std::string> result;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        result.push_back(line);
    }
    return result;
}

std::vector<std::string> tokens(const std::string& line)
{
    std::istringstream in(line);
    std::vector<std::string> result;
    for (std::string token; in >> token;) result.push_back(token);
    return result;
}

// The value of a token such as -0x1.ac79a80fe0f2cp+17; none for other text.
std::optional<double> hexDouble(const std::string& token)
{
    const bool negative = token.rfind("-0x", 0) == 0;
    const std::size_t start = negative ? 3 : 2;
    if (!negative && token.rfind("0x", 0) != 0) return std::nullopt;
    double value;
    const char* end = token.data() + token.size();
    const auto [ptr, ec] = std::from_chars(token.data() + start, end, value, std::chars_format::hex);
    if (ec != std::errc() || ptr != end) return std::nullopt;
    return negative ? -value : value;
}

// Units in the last place between two finite doubles of the same sign.
int64_t ulps(double a, double b)
{
    if (std::signbit(a) != std::signbit(b)) return INT64_MAX;
    int64_t x, y;
    std::memcpy(&x, &a, 8);
    std::memcpy(&y, &b, 8);
    return x > y ? x - y : y - x;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: stage_compare EXPECTED ACTUAL\n");
        return 2;
    }
    const std::vector<std::string> expected = lines(argv[1]), actual = lines(argv[2]);
    if (expected.size() != actual.size() || expected.size() < 1000) {
        std::printf("FAIL: %zu lines, expected %zu\n", actual.size(), expected.size());
        return 1;
    }
    long values = 0, differing = 0, wrong = 0;
    int64_t largest = 0;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        if (expected[i] == actual[i]) {
            values += static_cast<long>(tokens(expected[i]).size());
            continue;
        }
        const std::vector<std::string> want = tokens(expected[i]), got = tokens(actual[i]);
        bool lineOk = want.size() == got.size();
        for (std::size_t k = 0; lineOk && k < want.size(); ++k) {
            ++values;
            if (want[k] == got[k]) continue;
            const std::optional<double> a = hexDouble(want[k]), b = hexDouble(got[k]);
            const int64_t apart = a && b ? ulps(*a, *b) : INT64_MAX;
            if (apart > kMaxUlps) {
                lineOk = false;
                break;
            }
            ++differing;
            largest = std::max(largest, apart);
            std::printf("line %zu, value %zu: %s instead of %s (%lld ulp)\n", i + 1, k + 1, got[k].c_str(),
                        want[k].c_str(), static_cast<long long>(apart));
        }
        if (!lineOk) {
            ++wrong;
            std::printf("FAIL line %zu:\n  expected %s\n  actual   %s\n", i + 1, expected[i].c_str(), actual[i].c_str());
        }
    }
    std::printf("%zu lines, %ld values: %ld differ by at most %lld ulp, %ld lines differ otherwise\n",
                expected.size(), values, differing, static_cast<long long>(largest), wrong);
    return wrong == 0 ? 0 : 1;
}
