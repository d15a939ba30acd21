#pragma once
// The movie's clock: which frame is shown, whether the movie runs, and how elapsed
// time turns into frames at the movie's frame rate.

namespace tavelin::swf {

class Timeline {
 public:
  // A rate the movie plays at when it declares none (0) or an unusable one: the
  // authoring tools' default. Such a movie still plays instead of freezing on its first
  // frame, and no frame interval is ever a division by zero.
  static constexpr double kFallbackFrameRate = 12.0;
  // Faster rates are clamped to this; a movie header cannot declare more than 256.
  static constexpr double kMaxFrameRate = 1000.0;
  // One Advance moves on by at most the frames of this many seconds (and at least one
  // frame); frames owed beyond that (a stalled program, a suspended machine) are
  // dropped, so the movie carries on from where it was instead of racing through them.
  static constexpr double kMaxCatchUpSeconds = 0.25;

  // frameCount below 1 counts as 1. The clock starts stopped on frame 0, looping.
  Timeline(int frameCount, double frameRate);

  int FrameCount() const { return frameCount_; }
  // The frames that can be shown: all of them, or fewer while the movie still arrives.
  int FramesLoaded() const { return framesLoaded_; }
  // The rate the clock runs at (the fallback for a movie without a usable rate).
  double FrameRate() const { return frameRate_; }
  double FrameInterval() const { return 1.0 / frameRate_; }
  int CurrentFrame() const { return current_; }
  bool IsPlaying() const { return playing_; }
  bool Loop() const { return loop_; }

  // While looping the movie restarts at frame 0 after its last frame; otherwise it
  // stops on the last frame.
  void SetLoop(bool loop) { loop_ = loop; }
  // Runs from the current frame; the next frame follows one full interval later.
  void Play();
  void Stop();
  // Shows a frame, clamped to the frames loaded, and stops.
  void GotoFrame(int frame);

  // For a movie still arriving: how many of its frames can be shown (1..FrameCount()).
  // A playing clock that reaches the last of them waits there, still playing, instead
  // of looping or stopping, and goes on when more have arrived.
  void SetFramesLoaded(int frames);
  // Settles the number of frames once the whole movie is known (at least 1); all of
  // them are then loaded.
  void SetFrameCount(int frameCount);

  // Adds the seconds elapsed since the last call and moves on by the frames that
  // became due. Time is kept in fractions of a frame, so fractional rates keep their
  // exact pace over any number of calls. Returns true when the frame shown changed.
  bool Advance(double seconds);
  // Moves on by `steps` frames as playing does (looping or stopping at the end), when
  // something other than elapsed time paces the movie. Returns true when the frame
  // shown changed.
  bool StepFrames(long steps);
  // The most frames one call moves on by: those of kMaxCatchUpSeconds, at least one.
  long CatchUpFrames() const;

 private:
  int frameCount_;
  int framesLoaded_;
  double frameRate_;
  int current_ = 0;
  bool playing_ = false;
  bool loop_ = true;
  double pendingFrames_ = 0;  // frames owed but not yet shown, below 1 between calls
};

}  // namespace tavelin::swf
