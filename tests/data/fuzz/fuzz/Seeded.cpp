// A target.
