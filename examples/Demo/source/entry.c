/* The demo's module and driver are only read and embedded, never loaded: an entry point is all
   they need. */
int __stdcall DllEntry(void* Instance, unsigned long Reason, void* Reserved)
{
    return 1;
}
