unit Helper;

interface

const
  HelperText = 'help';

implementation

end.
