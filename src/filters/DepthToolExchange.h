#pragma once
// What a filter exchanges with the depth tools when it hands focus to one and gets it back:
// the tools (tools/DepthTools.h) implement these, so that a filter reads and gives depths
// without knowing the tools' classes.

class DepthPointExchange {
 public:
  virtual ~DepthPointExchange() = default;
  // The picker's mode (kPickAnyDepth, ...) and the depth it picked (0: none).
  virtual int GetMode() const = 0;
  virtual double GetPickedDepth() const = 0;
  // The depth a mode compares the picks with (farther or nearer than it).
  virtual void SetReferenceDepth(double depth) = 0;
};

class DepthIntervalExchange {
 public:
  virtual ~DepthIntervalExchange() = default;
  virtual double GetNearLimit() const = 0;
  virtual double GetFarLimit() const = 0;
  virtual void SetLimits(double nearLimit, double farLimit) = 0;
};

// Depth picker modes.
constexpr int kPickAnyDepth = 1;
constexpr int kPickFartherThanReference = 2;
constexpr int kPickNearerThanReference = 3;
