#pragma once

// Whether a lock overlay is up; the monitor stays out of the way while one is.
class OverlayState {
public:
    virtual ~OverlayState() = default;
    virtual bool isShowing() const = 0;
};
