/* The guest's gamepad, made with uinput: a handheld's buttons, d-pad and stick under a fixed USB
 * id (its SDL GUID is 03000000091200000100000011010000). It says PAD_READY once the device
 * exists, presses START (down, then up 0.1 s later) on each SIGUSR1, and goes on SIGTERM.
 *   gamepad */
#include <fcntl.h>
#include <linux/uinput.h>
#include <signal.h>
#include <stdio.h>
#include <string.h>
#include <sys/ioctl.h>
#include <unistd.h>

static volatile sig_atomic_t presses, stop;
static void on_signal(int sig) {
    if (sig == SIGUSR1)
        presses++;
    else
        stop = 1;
}

static void emit(int fd, int type, int code, int value) {
    struct input_event e;
    memset(&e, 0, sizeof e);
    e.type = type;
    e.code = code;
    e.value = value;
    if (write(fd, &e, sizeof e) != sizeof e) perror("gamepad: write");
}

int main(void) {
    static const int buttons[] = {BTN_SOUTH,   BTN_EAST,      BTN_NORTH,     BTN_WEST,
                                  BTN_TL,      BTN_TR,        BTN_SELECT,    BTN_START,
                                  BTN_DPAD_UP, BTN_DPAD_DOWN, BTN_DPAD_LEFT, BTN_DPAD_RIGHT};
    int fd = open("/dev/uinput", O_WRONLY);
    if (fd < 0) {
        perror("gamepad: /dev/uinput");
        return 1;
    }
    ioctl(fd, UI_SET_EVBIT, EV_KEY);
    for (unsigned i = 0; i < sizeof buttons / sizeof buttons[0]; i++)
        ioctl(fd, UI_SET_KEYBIT, buttons[i]);
    ioctl(fd, UI_SET_EVBIT, EV_ABS);
    ioctl(fd, UI_SET_ABSBIT, ABS_X);
    ioctl(fd, UI_SET_ABSBIT, ABS_Y);
    struct uinput_user_dev dev;
    memset(&dev, 0, sizeof dev);
    strcpy(dev.name, "Quellbrand test pad");
    dev.id.bustype = BUS_USB;
    dev.id.vendor = 0x1209;
    dev.id.product = 0x0001;
    dev.id.version = 0x0111;
    for (int axis = ABS_X; axis <= ABS_Y; axis++) {
        dev.absmin[axis] = -32768;
        dev.absmax[axis] = 32767;
    }
    if (write(fd, &dev, sizeof dev) != sizeof dev || ioctl(fd, UI_DEV_CREATE) < 0) {
        perror("gamepad: the device");
        return 1;
    }
    struct sigaction sa;
    memset(&sa, 0, sizeof sa);
    sa.sa_handler = on_signal;
    sigaction(SIGUSR1, &sa, NULL);
    sigaction(SIGTERM, &sa, NULL);
    setvbuf(stdout, NULL, _IONBF, 0);
    printf("PAD_READY\n");
    while (!stop) {
        if (!presses) {
            usleep(20000); /* a signal between the test and a pause() would wait for the next */
            continue;
        }
        presses--;
        emit(fd, EV_KEY, BTN_START, 1);
        emit(fd, EV_SYN, SYN_REPORT, 0);
        usleep(100000);
        emit(fd, EV_KEY, BTN_START, 0);
        emit(fd, EV_SYN, SYN_REPORT, 0);
        printf("PRESSED START\n");
    }
    ioctl(fd, UI_DEV_DESTROY);
    return 0;
}
