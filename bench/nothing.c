/* The start-up floor: a statically linked program that does nothing. */
int main(void) { return 0; }
