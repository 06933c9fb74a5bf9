// Keeps the portable application library non-empty while its parts arrive.
