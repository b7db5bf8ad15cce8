#include <cstdio>
int main() { std::puts("landwright-cli"); return 0; }
