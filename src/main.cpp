// Placeholder until the Qt binding is built.
int main() { return 1; }
