#pragma once

// Brings this program to the front, so its keyboard shortcuts reach it.
class SelfActivation {
public:
    virtual ~SelfActivation() = default;
    virtual void activate() = 0;
};
