/* stdout for an AVR program run in simavr: each byte goes to the first UART, which the simulator
 * prints; when main returns, interrupts go off and the processor sleeps, where simavr stops. */
#include <avr/interrupt.h>
#include <avr/io.h>
#include <avr/sleep.h>
#include <stdio.h>
static int put(char c, FILE* f) {
    (void)f;
    loop_until_bit_is_set(UCSR0A, UDRE0);
    UDR0 = c;
    return 0;
}
static FILE out = FDEV_SETUP_STREAM(put, NULL, _FDEV_SETUP_WRITE);
__attribute__((constructor)) static void setup(void) {
    stdout = &out;
}
__attribute__((naked, used, section(".fini8"))) static void stop(void) {
    cli();
    sleep_cpu();
}
