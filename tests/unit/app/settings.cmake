# Settings tests are added here.
