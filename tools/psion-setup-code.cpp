// Placeholder until the support tool is built.
int main() { return 1; }
