// A number that moves over real time from a start value to a destination, linearly or in
// three phases (accelerate, cruise, decelerate). Images move and volumes fade with it.
#pragma once

class VxProfile {
public:
    VxProfile();  // preset 2, form 2, held at 0

    void Set_preset(int preset);  // speed and acceleration from the preset table
    void Set_form(int form);      // 1 linear, 2 three-phase
    void Set_position(double x);  // holds the profile at x
    void Set_destination(double x);
    void Start();  // plans the move from position to destination, starting now

    // The value at this moment: position while held, destination once the move is over.
    // Costs one clock reading; never allocates. User-interface thread only.
    double Value();

    bool Is_moving() const { return moving; }
    void Set_moving(bool m) { moving = m; }
    bool Is_held() const { return held; }
    double Position() const { return position; }
    double Destination() const { return destination; }
    double Last_value() const { return last_value; }

private:
    double Value_at(double now);

    int form = 2;
    double speed = 600;
    double acceleration = 600;
    int direction = 1;
    double position = 0;
    double destination = 0;
    int three_phase = 0;
    double t0 = 0, t1 = 0, t2 = 0, t3 = 0;
    double x1 = 0, xd = 0, peak = 0;
    bool held = true;
    bool moving = false;
    double last_value = 0;

    friend class VxProfileTestAccess;
};
