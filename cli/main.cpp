// pressdiag-cli entry (placeholder until the commands land).
#include <cstdio>

int main()
{
    std::puts("pressdiag-cli");
    return 0;
}
