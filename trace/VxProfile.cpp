// Planning and evaluating value profiles; the value is computed from the clock when read,
// never stepped by a timer, so a slow frame never slows a move down.
#include "trace/VxProfile.h"

#include <cmath>

#include "platform/dialogs.h"
#include "platform/process.h"
#include "trace/VxTrace.h"

VxProfile::VxProfile() { Set_preset(2); }

void VxProfile::Set_preset(int preset) {
    switch (preset) {
        case 0:
            speed = 50;
            acceleration = 100;
            break;
        case 1:
            speed = 150;
            acceleration = 200;
            break;
        case 2:
            speed = 600;
            acceleration = 600;
            break;
        case 3:
            speed = 800;
            acceleration = 800;
            break;
        case 4:
            speed = 0.1;
            acceleration = 0;
            break;
        default:
            speed = 3;
            acceleration = 3;
            break;
    }
}

void VxProfile::Set_form(int f) { form = f; }

void VxProfile::Set_position(double x) {
    held = true;
    position = x;
    last_value = x;
}

void VxProfile::Set_destination(double x) { destination = x; }

void VxProfile::Start() {
    held = false;
    if (position > destination) {
        speed = -std::fabs(speed);
        acceleration = -std::fabs(acceleration);
        direction = -1;
    } else {
        speed = std::fabs(speed);
        acceleration = std::fabs(acceleration);
        direction = 1;
    }
    t0 = VxTrace::Time_s();
    // Preset 4 has no acceleration; its phase times are meaningless in form 2 and unused in form 1.
    t1 = acceleration != 0 ? t0 + std::fabs(speed / acceleration) : t0;
    x1 = acceleration != 0 ? position + speed * speed / (2 * acceleration) : position;
    three_phase = (2 * std::fabs(x1 - position) <= std::fabs(destination - position)) ? 1 : 0;

    if (form == 1) {
        t0 = VxTrace::Time_s();
        if (std::fabs(speed) < 0.0000001) {
            VxTrace::Instance().Write("Division by ZERO... EXITING !");
            Platform::Message_box("VxProfile", "Division by ZERO");
            Platform::Exit_process(1);
        }
        t1 = t0 + (destination - position) / speed;
        return;
    }
    if (acceleration == 0) {
        // A form-2 move needs an acceleration; without one it arrives at once.
        t1 = t2 = t3 = t0;
        three_phase = 0;
        peak = 0;
        return;
    }
    if (three_phase) {
        xd = destination - speed * speed / (2 * acceleration);
        t2 = t1 + std::fabs((xd - x1) / speed);
        t3 = t2 + std::fabs(speed / acceleration);
    } else {
        x1 = (position + destination) / 2;
        const double h = std::sqrt(2 * std::fabs(x1 - position) / std::fabs(acceleration));
        t1 = t0 + h;
        t2 = t1 + h;
        t3 = t2;
        peak = acceleration * h;
    }
}

double VxProfile::Value() {
    if (held) {
        moving = false;
        return position;
    }
    last_value = Value_at(VxTrace::Time_s());
    return last_value;
}

double VxProfile::Value_at(double now) {
    if (form == 1) {
        if (now < t1 - 0.1) {
            moving = true;
            if (now <= t0) return position;
            return position + (now - t0) * speed;
        }
        moving = false;
        return destination;
    }
    moving = true;
    if (now <= t0) return position;
    if (three_phase) {
        if (now <= t1) {
            const double d = now - t0;
            return position + acceleration * d * d / 2;
        }
        if (now <= t2) return x1 + speed * (now - t1);
        if (now <= t3) {
            const double d = now - t2;
            return xd + speed * d - acceleration * d * d / 2;
        }
    } else {
        if (now <= t1) {
            const double d = now - t0;
            return position + acceleration * d * d / 2;
        }
        if (now <= t3) {
            const double d = now - t1;
            return x1 + peak * d - acceleration * d * d / 2;
        }
    }
    moving = false;
    return destination;
}
