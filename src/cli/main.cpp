#include <cstdio>
#include <string_view>

int main(int argc, char** argv)
{
    if (argc > 1 && std::string_view(argv[1]) == "version") {
        std::printf("%d.%d.%d\n", VORTALUX_VERSION_MAJOR, VORTALUX_VERSION_MINOR, VORTALUX_VERSION_PATCH);
        return 0;
    }
    std::fprintf(stderr, "usage: vortalux version\n");
    return 2;
}
