/* putchar for a z80 program run in SDCC's simulator: the simulator's interface sits on I/O
 * port 0xff, where the command 'w' followed by a byte writes that byte to its output file.
 * When main returns, the start-up code halts and the simulator stops. */
__sfr __at(0xff) sim_interface;

int putchar(int c) {
    sim_interface = 'w';
    sim_interface = (unsigned char)c;
    return c;
}
