/* The baseline for start-up measurements: a Windows program that only
   returns. Built like Vandrix.exe (static, GUI subsystem). */
int main(void) { return 0; }
