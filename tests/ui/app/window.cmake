# Main window tests are added here.
